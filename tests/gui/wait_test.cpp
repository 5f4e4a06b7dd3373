// The Linux window while a long digest runs: it answers, shows progress, drops input; Escape, the
// close box and a new name set by another program end the wait, and closing the window ends the
// program.
#include <QApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "tests/gui/gui_fixture.h"

using guitest::Sandbox;

class WaitTest : public guitest::WindowTest {
    Q_OBJECT

private slots:
    void longDigestAnswersShowsProgressAndDropsInput() {
        const QString pkg = SlowPackage("slow.tar.gz");
        auto& w = Open();
        QStringList captions;
        qint64 longestGap = 0;
        QElapsedTimer sinceTick;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
            if (captions.isEmpty() || captions.back() != w.windowTitle()) captions << w.windowTitle();
        });
        QString textDuring;
        QTimer::singleShot(500, [&] {
            QTest::keyClicks(FileBox(), "typed");
            QTest::keyClick(FileBox(), Qt::Key_Backspace);
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(sandbox_->Package("dropped.tar.gz", "dropped"))});
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(FileBox(), &drop);
            textDuring = FileBox()->text();
        });
        probe.start(10);
        sinceTick.start();
        SetFile(pkg);
        probe.stop();
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(slowContent_));  // set before the assignment returned
        QCOMPARE(textDuring, pkg);
        QCOMPARE(FileBox()->text(), pkg);
        QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
        QCOMPARE(captions.front(), QString("Pellwick"));
        QCOMPARE(w.windowTitle(), QString("Pellwick"));
        QVERIFY2(captions.size() >= 4, qPrintable(captions.join(", ")));
        const auto share = [](const QString& caption) { return caption.mid(11).chopped(1).toInt(); };
        for (qsizetype i = 1; i < captions.size(); ++i) {
            QVERIFY(captions[i].startsWith(QString::fromUtf8("Pellwick \u2013 ")));
            if (i > 1) QVERIFY2(share(captions[i]) > share(captions[i - 1]), qPrintable(captions.join(", ")));
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void escapeTheCloseBoxOrANewNameEndsTheWaitAtOnce() {
        enum Ending { kEscape, kCloseBox, kNewName };
        for (const Ending ending : {kEscape, kCloseBox, kNewName}) {
            const bool closeBox = ending == kCloseBox;
            const QString pkg = SlowPackage(QString::number(ending) + ".tar.gz");
            // Set as a screen reader sets a box's text: no input event, which the wait would drop.
            const QString renamed = sandbox_->Package("renamed.tar.gz", "renamed");
            Open();
            QString modal;  // an error box would block the handler: noted and closed
            QTimer watch;
            connect(&watch, &QTimer::timeout, [&modal] {
                if (QWidget* box = QApplication::activeModalWidget()) {
                    modal = box->objectName();
                    box->close();
                }
            });
            watch.start(10);
            QTimer::singleShot(400, [&] {
                if (closeBox) {
                    window_->close();
                } else if (ending == kNewName) {
                    FileBox()->setText(renamed);
                } else {
                    QTest::keyClick(FileBox(), Qt::Key_Escape);
                }
            });
            QElapsedTimer took;
            took.start();
            SetFile(pkg);
            QVERIFY2(took.elapsed() < 9 * kSlowReadMs, "the wait ended without waiting for the work");
            QCOMPARE(DigestBox()->text(), ending == kNewName ? Sandbox::Md5Upper("renamed") : QString());
            QCOMPARE(window_->windowTitle(), QString("Pellwick"));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            QCOMPARE(modal, QString());
            if (closeBox) {
                QVERIFY2(window_->isVisible(), "the window closes once the handler has returned");
                QTRY_VERIFY(!window_->isVisible());
            } else if (ending == kEscape) {
                qunsetenv("PELLWICK_FAULT_ACTION");
                window_->SetFileNameText(pkg.toStdString());
                QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(slowContent_));
            }
        }
    }

    void closingTheWindowEndsTheProgramEvenDuringADigest() {
        for (const bool duringDigest : {false, true}) {
            Open();
            const QString pkg = duringDigest ? SlowPackage("closing.tar.gz") : QString();
            if (duringDigest) QTimer::singleShot(0, [&] { SetFile(pkg); });  // waits inside the loop
            QTimer::singleShot(duringDigest ? 500 : 50, [&] { window_->close(); });
            QTimer stuck;  // the program would stay, idle, without its window
            connect(&stuck, &QTimer::timeout, [] { QApplication::exit(1); });
            stuck.start(10000);
            QCOMPARE(QApplication::exec(), 0);
            QVERIFY(!window_->isVisible());
        }
    }
};

QTEST_MAIN(WaitTest)
#include "wait_test.moc"
