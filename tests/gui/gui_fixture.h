// The shared throwaway home, in the Qt types the GUI tests compare, and a helper to answer
// modal dialogs.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "tests/support/test_support.h"

namespace guitest {

class Sandbox {
public:
    QString Home() const { return QString::fromStdString(home_.Home()); }
    QString Documents() const { return QString::fromStdString(home_.Documents()); }
    QString Packages() const { return QString::fromStdString(home_.Packages()); }

    void StoreInstallerDir(const QString& value) const { home_.StoreInstallerDir(value.toStdString()); }
    void RemoveDocuments() const { home_.RemoveDocuments(); }
    QString Package(const QString& name, const QByteArray& content) const {  // path of a new file
        return QString::fromStdString(home_.Package(name.toStdString(), content.toStdString()));
    }
    static QString Md5Upper(const QByteArray& content);

private:
    testsupport::Sandbox home_;
};

// Runs `answer` on the next modal widget that opens (polled from the event loop), so a
// test can drive a dialog that blocks inside the code under test.
void WhenModalOpens(std::function<void(QWidget*)> answer);

}  // namespace guitest
