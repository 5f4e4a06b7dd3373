// What the GUI tests share: the throwaway home in the Qt types they compare, a helper to answer
// modal dialogs, and the window under test with its boxes.
#pragma once

#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "tests/support/test_support.h"
#include "window/main_window_qt.h"

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

// A test of the window: a fresh throwaway home for each test function, the window opened in it.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    window::MainWindow& Open();
    QLineEdit* FileBox() const { return window_->findChild<QLineEdit*>("txtFileName"); }
    QLineEdit* DigestBox() const { return window_->findChild<QLineEdit*>("txtMD5"); }
    void SetFile(const QString& path) { FileBox()->setText(path); }
    // A package of nine reads, each slowed by the preloaded read-fault shim.
    QString SlowPackage(const QString& name);
    static constexpr int kSlowReadMs = 120;

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<window::MainWindow> window_;
    QByteArray slowContent_;

private slots:
    void init();
    void cleanup();
};

}  // namespace guitest
