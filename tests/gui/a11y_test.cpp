// The verdict's details in the Linux window, from a click on the mark, Alt+Enter in either box and
// the digest box's menu by Shift+F10, copied by Ctrl+C.
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "tests/gui/gui_fixture.h"

class A11yTest : public guitest::WindowTest {
    Q_OBJECT

private slots:
    void detailsFromTheMarkAndTheKeyboard() {
        Open();
        sandbox_->Package("foo.tar.gz.md5", guitest::Sandbox::Md5Upper("hello").toLatin1());
        SetFile(sandbox_->Package("foo.tar.gz", "hello"));
        const std::tuple<QWidget*, Qt::Key, Qt::KeyboardModifier> ways[] = {
            // Key_unknown: a click
            {DigestBox()->findChild<QToolButton*>(), Qt::Key_unknown, Qt::NoModifier},
            {DigestBox(), Qt::Key_Return, Qt::AltModifier},
            {FileBox(), Qt::Key_Return, Qt::AltModifier},
            {DigestBox(), Qt::Key_F10, Qt::ShiftModifier}};
        for (const auto& [at, key, modifier] : ways) {
            QGuiApplication::clipboard()->clear();
            QApplication::setActiveWindow(window_.get());  // no window manager gives it back
            at->setFocus();
            guitest::WhenModalOpens([](QWidget* box) {
                QApplication::setActiveWindow(box);
                QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
                box->close();
            });
            QTimer::singleShot(0, [] {  // in a menu, its last entry
                if (QWidget* menu = QApplication::activePopupWidget()) QTest::keyClick(menu, Qt::Key_Up);
                if (QWidget* menu = QApplication::activePopupWidget()) QTest::keyClick(menu, Qt::Key_Return);
            });
            key == Qt::Key_unknown ? QTest::mouseClick(at, Qt::LeftButton) : QTest::keyClick(at, key, modifier);
            QCOMPARE(QGuiApplication::clipboard()->text(),
                     "The package matches foo.tar.gz.md5.\n\n" + DigestBox()->toolTip());
        }
    }
};

QTEST_MAIN(A11yTest)
#include "a11y_test.moc"
