// A throwaway home, settings file and package tree for each GUI test, and helpers to
// answer modal dialogs.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "tests/support/test_support.h"
#include "window/main_window_qt.h"

namespace guitest {

class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    QString Home() const { return QString::fromStdString(root_.Path()) + "/home"; }
    QString Documents() const { return Home() + "/Documents"; }
    QString Packages() const { return QString::fromStdString(root_.Path()) + "/packages"; }
    QString ConfigHome() const { return QString::fromStdString(root_.Path()) + "/config"; }

    void StoreInstallerDir(const QString& value) const;  // writes Quorrel.ini
    void RemoveDocuments() const;
    QString Package(const QString& name, const QByteArray& content) const;  // path of a new file
    static QString Md5Upper(const QByteArray& content);

private:
    testsupport::TempDir root_;
    QByteArray oldHome_, oldConfig_;
};

// Runs `answer` on the next modal widget that opens (polled from the event loop), so a
// test can drive a dialog that blocks inside the code under test.
void WhenModalOpens(std::function<void(QWidget*)> answer);

// While alive, a root process acts as an ordinary user, so permission bits bind it.
class Unprivileged {
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool switched_ = false;
};

}  // namespace guitest
