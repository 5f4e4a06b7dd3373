// The verdict for everyone in the Linux window: the mark in the digest box, named by the verdict
// and drawn in the verdict's colour or the system's; the details' box from a click on the mark,
// Alt+Enter in either box and the digest box's menu (Shift+F10), its text copied by Ctrl+C.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "tests/gui/gui_fixture.h"

namespace {

// Runs `act` on the next menu that pops up (polled from the event loop, as it blocks).
void WhenMenuOpens(std::function<void(QMenu*)> act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        timer->stop();
        timer->deleteLater();
        act(menu);
    });
    timer->start(10);
}

}  // namespace

class A11yTest : public guitest::WindowTest {
    Q_OBJECT

    // foo.tar.gz ("hello") in a folder of its own, beside a foo.tar.gz.md5 that matches it or not.
    QString Package(bool match) {
        const QString folder = match ? "match" : "mismatch";
        QDir(sandbox_->Packages()).mkpath(folder);
        QString listed = guitest::Sandbox::Md5Upper("hello");
        if (!match) listed[31] = listed[31] == '0' ? '1' : '0';
        sandbox_->Package(folder + "/foo.tar.gz.md5", listed.toLatin1() + "\n");
        return sandbox_->Package(folder + "/foo.tar.gz", "hello");
    }
    QToolButton* Mark() const {
        for (QObject* o : window_->findChild<QAction*>("verdictMark")->associatedObjects()) {
            if (auto* button = qobject_cast<QToolButton*>(o)) return button;
        }
        return nullptr;
    }
    // The colours of the mark's fully covered pixels, as 0xRRGGBB.
    QSet<unsigned> MarkColours() const {
        const QImage image = Mark()->icon().pixmap(QSize(32, 32)).toImage();
        QSet<unsigned> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) == 255) colours.insert(image.pixel(x, y) & 0xFFFFFF);
            }
        }
        return colours;
    }
    // The details' box that `open` brings up: its text as Ctrl+C copied it, after closing it.
    QString DetailsBy(const std::function<void()>& open) {
        QGuiApplication::clipboard()->clear();
        bool opened = false;
        guitest::WhenModalOpens([&opened](QWidget* modal) {
            opened = modal->objectName() == "informationBox";
            QApplication::setActiveWindow(modal);
            QTest::keyClick(modal, Qt::Key_C, Qt::ControlModifier);
            modal->close();
        });
        open();
        return opened ? QGuiApplication::clipboard()->text() : "no box";
    }
    // The digest box's menu by Shift+F10: whether it offers the details, which it then takes.
    bool MenuOffersDetails() {
        bool offered = false;
        WhenMenuOpens([&offered](QMenu* menu) {
            const QList<QAction*> actions = menu->actions();
            QAction* details = actions.last();
            offered = details->text() == "Verdict details..." && details->isEnabled() &&
                      actions.size() > 2;  // the box's own entries stay
            if (offered) {
                menu->setActiveAction(details);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        QTest::keyClick(DigestBox(), Qt::Key_F10, Qt::ShiftModifier);
        return offered;
    }

private slots:
    void theMarkTellsTheVerdictAndOpensItsDetails() {
        Open();
        for (const bool match : {true, false}) {
            SetFile(Package(match));
            const QString sentence =
                              QString("The package ") + (match ? "matches" : "DOES NOT MATCH") + " foo.tar.gz.md5.",
                          details = sentence + "\n\n" + DigestBox()->toolTip();
            QVERIFY(Mark()->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(Mark())->text(QAccessible::Name), sentence);
            QVERIFY(MarkColours().contains(match ? window::kMatchMark : window::kMismatchMark));
            window_->SetHighContrast(true);
            QVERIFY(MarkColours().contains(DigestBox()->palette().color(QPalette::Text).rgb() & 0xFFFFFF));
            window_->SetHighContrast(false);
            QCOMPARE(DetailsBy([this] { QTest::mouseClick(Mark(), Qt::LeftButton); }), details);
        }
        QTest::keyClick(DigestBox(), Qt::Key_A);  // the verdict was about the digest shown
        QVERIFY(!Mark()->isVisible());
    }

    void detailsFromTheKeyboardWithAndWithoutAVerdict() {
        Open();
        for (const bool shown : {true, false}) {
            SetFile(shown ? Package(false) : QString());
            const QString details =
                shown ? "The package DOES NOT MATCH foo.tar.gz.md5.\n\n" + DigestBox()->toolTip() : "no box";
            for (QLineEdit* box : {DigestBox(), FileBox()}) {
                QApplication::setActiveWindow(window_.get());  // no window manager gives it back
                box->setFocus();
                if (shown) {
                    QCOMPARE(DetailsBy([box] { QTest::keyClick(box, Qt::Key_Return, Qt::AltModifier); }), details);
                } else {
                    QTest::keyClick(box, Qt::Key_Return, Qt::AltModifier);  // a box would block here
                    QVERIFY(QApplication::activeModalWidget() == nullptr);
                }
            }
            QApplication::setActiveWindow(window_.get());
            DigestBox()->setFocus();
            if (shown) {
                QCOMPARE(DetailsBy([this] { QVERIFY(MenuOffersDetails()); }), details);
            } else {
                QVERIFY(!MenuOffersDetails());
            }
        }
    }
};

QTEST_MAIN(A11yTest)
#include "a11y_test.moc"
