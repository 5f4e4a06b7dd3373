// The Linux window at start-up: where it starts, its layout, flags, tab order and focus; what the
// program says, without a window or a display, when asked for its usage or version.
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "tests/gui/gui_fixture.h"
#include "window/modPublics.h"

using guitest::Sandbox;

class StartupTest : public guitest::WindowTest {
    Q_OBJECT

private slots:
    void answersHelpAndVersionOnItsOutputWithoutAWindow() {
        const struct {
            const char* argument;
            QString output;
        } cases[] = {{"--help", QString::fromStdString(window::frmMain::Usage())},
                     {"-h", QString::fromStdString(window::frmMain::Usage())},
                     {"--version", "Pellwick " PELLWICK_VERSION}};
        for (const auto& c : cases) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove("DISPLAY");
            environment.remove("QT_QPA_PLATFORM");
            program.setProcessEnvironment(environment);
            program.start(PELLWICK_PROGRAM, {c.argument});
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), c.output + "\n");
        }
    }

    void startsAtTheDocumentsFolderWithoutASetting() {
        Open();
        QCOMPARE(FileBox()->text(), sandbox_->Documents());
        QCOMPARE(DigestBox()->text(), QString());
        QCOMPARE(QString::fromStdString(modPublics::mDefaultDir), sandbox_->Documents());
    }

    void startsAtTheStoredDirectoryEvenEmptyOrMissing() {
        for (const QString& stored : {sandbox_->Packages(), QString("/no/such/dir"), QString()}) {
            sandbox_->StoreInstallerDir(stored);
            Open();
            QCOMPARE(FileBox()->text(), stored);
            QCOMPARE(DigestBox()->text(), QString());
        }
    }

    void startsEmptyWithNeitherSettingNorDocumentsFolder() {
        sandbox_->RemoveDocuments();
        Open();
        QCOMPARE(FileBox()->text(), QString());
        QCOMPARE(DigestBox()->text(), QString());
    }

    void startsWithTheDigestWhenTheSettingNamesAPackage() {
        const QString pkg = sandbox_->Package("start.tar.gz", "start");
        sandbox_->StoreInstallerDir(pkg);
        Open();
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("start"));
    }

    void layoutFlagsTabOrderAndFocus() {
        auto& w = Open();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto px = [&w](int twips) { return w.TwipsToPixels(twips); };
        QCOMPARE(w.size(), QSize(px(7335), px(855)));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        const struct {
            const char* name;
            int left, top, width, height;
        } controls[] = {{"cmdFindFileName", 6960, 120, 255, 255},
                        {"txtFileName", 720, 120, 6135, 285},
                        {"txtMD5", 720, 480, 6495, 285},
                        {"Label1", 120, 480, 615, 255},
                        {"lblFile", 120, 120, 615, 255}};
        for (const auto& c : controls) {
            auto* control = w.findChild<QWidget*>(c.name);
            QVERIFY2(control, c.name);
            QCOMPARE(control->geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
        }
        QCOMPARE(w.windowTitle(), QString("Pellwick"));
        QCOMPARE(w.windowType(), Qt::Tool);
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(w.findChild<QLabel*>("lblFile")->text(), QString("File:"));
        QCOMPARE(w.findChild<QLabel*>("lblFile")->buddy(), FileBox());
        QCOMPARE(w.findChild<QLabel*>("Label1")->text(), QString("MD5:"));
        QCOMPARE(w.findChild<QLabel*>("Label1")->buddy(), DigestBox());
        QCOMPARE(w.findChild<QPushButton*>("cmdFindFileName")->text(), QString("..."));
        const QString longText(40000, 'x');
        FileBox()->setText(longText);
        QCOMPARE(FileBox()->text(), longText);  // no length limit
        QCOMPARE(DigestBox()->text(), QString());
        FileBox()->clear();

        QCOMPARE(QApplication::focusWidget(), DigestBox());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), FileBox());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmdFindFileName"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), DigestBox());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmdFindFileName"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
