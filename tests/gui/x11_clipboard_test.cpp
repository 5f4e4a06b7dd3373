// The Linux window with another X client's clipboard, on a virtual X server of its own: an owner
// that answers gives the verdict (xclip serves the text) from the display the window is on, one
// that never answers holds up nothing but the worker that asked, and is passed over.
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "tests/gui/gui_fixture.h"

using guitest::Sandbox;

class X11ClipboardTest : public guitest::WindowTest {
    Q_OBJECT

    // Names the package, and meanwhile times the GUI thread's longest gap between two ticks.
    qint64 LongestGapWhileNaming(const QString& package) {
        qint64 longest = 0;
        QElapsedTimer sinceTick;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
        probe.start(10);
        sinceTick.start();
        SetFile(package);
        return std::max(longest, sinceTick.elapsed());
    }

private slots:
    void anOwnerThatAnswersGivesTheVerdict() {
        const QString package = sandbox_->Package("foo.tar.gz", "hello");
        QProcess xclip;
        xclip.start("xclip", {"-selection", "clipboard", "-quiet"});
        QVERIFY(xclip.waitForStarted());
        xclip.write(Sandbox::Md5Upper("hello").toLatin1());
        xclip.closeWriteChannel();
        QTest::qWait(300);  // xclip takes the selection once it has read its text, and serves it
        Open();
        // The clipboard of the display Qt opened (as `-display` names it), whatever $DISPLAY says.
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":79");
        SetFile(package);
        qputenv("DISPLAY", display);
        QCOMPARE(window_->windowTitle(), QString::fromUtf8("Pellwick \u2013 matches clipboard"));
        xclip.kill();
        xclip.waitForFinished();
    }

    void anOwnerThatNeverAnswersIsPassedOverWhileTheWindowAnswers() {
        const QString package = sandbox_->Package("foo.tar.gz", "hello");
        // A client that takes the clipboard and never reads its requests.
        xcb_connection_t* owner = xcb_connect(nullptr, nullptr);
        QVERIFY(owner != nullptr && xcb_connection_has_error(owner) == 0);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(owner)).data;
        const xcb_window_t window = xcb_generate_id(owner);
        xcb_create_window(owner, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          screen->root_visual, 0, nullptr);
        xcb_intern_atom_reply_t* clipboard =
            xcb_intern_atom_reply(owner, xcb_intern_atom(owner, 0, 9, "CLIPBOARD"), nullptr);
        xcb_set_selection_owner(owner, window, clipboard->atom, XCB_CURRENT_TIME);
        std::free(clipboard);
        xcb_flush(owner);
        Open();
        QElapsedTimer took;
        took.start();
        const qint64 longestGap = LongestGapWhileNaming(package);
        QVERIFY2(took.elapsed() < 2500, qPrintable(QString::number(took.elapsed())));
        QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("hello"));
        QVERIFY2(DigestBox()->toolTip().contains("Passed over the clipboard"), qPrintable(DigestBox()->toolTip()));
        xcb_disconnect(owner);
    }
};

QTEST_MAIN(X11ClipboardTest)
#include "x11_clipboard_test.moc"
