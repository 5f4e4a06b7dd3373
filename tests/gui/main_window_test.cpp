// The Linux window, driven as a person would: real widgets, real keystrokes, real files.
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <memory>

#include "tests/gui/gui_fixture.h"
#include "window/main_window_qt.h"
#include "window/modPublics.h"

using guitest::Sandbox;

namespace {

// Everything a test can see of a tree: every entry with its bytes, mode and timestamps.
QMap<QString, QString> Snapshot(const QString& root) {
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        ::lstat(path.toLocal8Bit().constData(), &st);
        QString state = QString("%1 %2 %3.%4 %5.%6")
                            .arg(st.st_mode, 0, 8)
                            .arg(st.st_size)
                            .arg(st.st_mtim.tv_sec)
                            .arg(st.st_mtim.tv_nsec)
                            .arg(st.st_ctim.tv_sec)
                            .arg(st.st_ctim.tv_nsec);
        QFile file(path);
        if (S_ISREG(st.st_mode) && file.open(QIODevice::ReadOnly)) {
            state += " " + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        }
        entries.insert(path, state);
    }
    return entries;
}

const QString kMatches = QString::fromUtf8("Pellwick \u2013 matches "),
              kDiffers = QString::fromUtf8("Pellwick \u2013 DOES NOT MATCH ");

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<window::MainWindow> window_;

    QLineEdit* FileBox() const { return window_->findChild<QLineEdit*>("txtFileName"); }
    QLineEdit* DigestBox() const { return window_->findChild<QLineEdit*>("txtMD5"); }
    window::MainWindow& Open() {
        window_ = std::make_unique<window::MainWindow>();
        window_->show();
        QApplication::setActiveWindow(window_.get());
        return *window_;
    }
    void SetFile(const QString& path) { FileBox()->setText(path); }
    // A package of nine reads, each slowed by the preloaded read-fault shim.
    QByteArray slowContent_;
    QString SlowPackage(const QString& name) {
        slowContent_ = QByteArray((8 << 20) + 5, 'p');
        const QString pkg = sandbox_->Package(name, slowContent_);
        qputenv("PELLWICK_FAULT_PATH", pkg.toLocal8Bit());
        qputenv("PELLWICK_FAULT_ACTION", "slow");
        qputenv("PELLWICK_FAULT_AFTER", QByteArray::number(kSlowReadMs));
        return pkg;
    }
    static constexpr int kSlowReadMs = 120;
    // A folder of its own with foo.tar.gz and the files given; {h}/{H} stand for its digest in
    // lower and upper case, {w} for one digit off. Returns the package's path.
    QString PackageWith(const QList<QPair<QString, QByteArray>>& files) {
        static int count = 0;
        const QString folder = QString::number(++count);
        QDir(sandbox_->Packages()).mkpath(folder);
        for (const auto& [name, content] : files) sandbox_->Package(folder + "/" + name, Filled(content));
        return sandbox_->Package(folder + "/foo.tar.gz", "hello");
    }
    static QByteArray Filled(QByteArray text) {
        const QByteArray upper = Sandbox::Md5Upper("hello").toLatin1();
        QByteArray other = upper;
        other[31] = other[31] == '0' ? '1' : '0';
        return text.replace("{h}", upper.toLower()).replace("{H}", upper).replace("{w}", other);
    }
    // In high-contrast mode the box keeps the system's colours.
    void ExpectVerdict(const QString& caption, bool coloured = true) {
        QCOMPARE(window_->windowTitle(), caption);
        const bool none = caption == "Pellwick";
        QCOMPARE(DigestBox()->testAttribute(Qt::WA_SetPalette), !none && coloured);
        if (!none && coloured) {
            const bool match = caption.startsWith(kMatches);
            QCOMPARE(DigestBox()->palette().color(QPalette::Base).rgb() & 0xFFFFFF,
                     match ? window::kMatchBackground : window::kMismatchBackground);
        }
        QCOMPARE(DigestBox()->toolTip().contains(Sandbox::Md5Upper("hello").left(8)), !none);
        QCOMPARE(DigestBox()->accessibleDescription(), DigestBox()->toolTip());
    }

private slots:
    void init() { sandbox_ = std::make_unique<Sandbox>(); }
    void cleanup() {
        qunsetenv("PELLWICK_FAULT_ACTION");
        window_.reset();
        sandbox_.reset();
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

    void typingShowsTheDigestAtTheCompletingKeystroke() {
        const QString pkg = sandbox_->Package("typed.tar.gz", "typed content");
        Open();
        FileBox()->clear();
        FileBox()->setFocus();
        const QString dir = sandbox_->Packages() + "/";
        QTest::keyClicks(FileBox(), dir + "typed.tar.g");
        QCOMPARE(DigestBox()->text(), QString());
        QTest::keyClick(FileBox(), Qt::Key_Z);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("typed content"));
        QTest::keyClick(FileBox(), Qt::Key_X);  // names nothing now
        QCOMPARE(DigestBox()->text(), QString());
        QTest::keyClick(FileBox(), Qt::Key_Backspace);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("typed content"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);  // the wait cursor went away
    }

    void suffixInAnyCaseIsDigestedAndOtherEndingsKeepTheDigest() {
        Open();
        const QByteArray first = "lower", second = "UPPER", third = "";
        SetFile(sandbox_->Package("a.tar.gz", first));
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(first));
        for (const char* other : {"b.tgz", "b.tar", "b.tar.gz.bak"}) {
            SetFile(sandbox_->Package(other, "other"));
            QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(first));
        }
        SetFile(sandbox_->Package("B.TAR.GZ", second));
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(second));
        SetFile(sandbox_->Package("Empty.TaR.gZ", third));
        QCOMPARE(DigestBox()->text(), QString("D41D8CD98F00B204E9800998ECF8427E"));
    }

    void sameNameAgainDigestsAgain() {
        Open();
        const QString pkg = sandbox_->Package("again.tar.gz", "one");
        SetFile(pkg);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("one"));
        sandbox_->Package("again.tar.gz", "two");
        window_->SetFileNameText(pkg.toStdString());
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("two"));
    }

    void namesOfNothingEmptyTheDigest() {
        Open();
        const QString real = sandbox_->Package("real.tar.gz", "real");
        sandbox_->Package(".hidden.tar.gz", "hidden");
        sandbox_->Package(".tar.gz", "dot");
        QDir().mkpath(sandbox_->Packages() + "/dir.tar.gz");
        for (const QString& name : {QString("missing.tar.gz"), QString("dir.tar.gz"), QString(".hidden.tar.gz"),
                                    QString(".tar.gz"), QString("*.tar.gz"), QString("real.tar.g?")}) {
            SetFile(real);
            QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("real"));
            SetFile(sandbox_->Packages() + "/" + name);
            QVERIFY2(DigestBox()->text().isEmpty(), qPrintable(name));
        }
    }

    void unreadablePackageReportsTheFileAndTheWindowCarriesOn() {
        Open();
        const QString good = sandbox_->Package("good.tar.gz", "good");
        const QString locked = sandbox_->Package("locked.tar.gz", "locked");
        QFile::setPermissions(locked, QFileDevice::Permissions());
        SetFile(good);
        QString shown;
        guitest::WhenModalOpens([&shown](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return;
            shown = box->text();
            box->accept();
        });
        {
            const testsupport::Unprivileged asUser;
            SetFile(locked);
        }
        QVERIFY2(shown.contains(locked), qPrintable(shown));
        QVERIFY2(shown.contains("Permission denied"), qPrintable(shown));
        QVERIFY2(shown.contains("70"), qPrintable(shown));
        QCOMPARE(DigestBox()->text(), QString());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        SetFile(good);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("good"));
    }

    void droppedFileIsTakenAsTheFileName() {
        auto& w = Open();
        const QString pkg = sandbox_->Package("dropped.tar.gz", "dropped");
        for (QWidget* target : {static_cast<QWidget*>(&w), static_cast<QWidget*>(FileBox())}) {
            FileBox()->clear();
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(pkg)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(FileBox()->text(), pkg);
            QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("dropped"));
        }
    }

    void browseOpensAtTheStoredDirectoryAndOkDigestsTheChoice() {
        const QString pkg = sandbox_->Package("chosen.tar.gz", "chosen");
        Open();
        sandbox_->StoreInstallerDir(sandbox_->Packages());  // read afresh at each press
        FileBox()->setText("/somewhere/else");
        QString startSelection, status, titleShown;
        guitest::WhenModalOpens([&](QWidget* dialog) {
            auto* tree = dialog->findChild<QTreeView*>("browseTree");
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            startSelection = model->filePath(tree->currentIndex());
            titleShown = dialog->findChild<QLabel*>("browseTitle")->isVisible() ? "shown" : "";
            tree->setCurrentIndex(model->index(pkg));
            status = dialog->findChild<QLabel*>("browseStatus")->text();
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdFindFileName"), Qt::LeftButton);
        QCOMPARE(startSelection, sandbox_->Packages());
        QCOMPARE(status, pkg);
        QCOMPARE(titleShown, QString());
        QCOMPARE(FileBox()->text(), pkg);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("chosen"));
    }

    void browseCancelChangesNothingAndDefaultsToDocuments() {
        const QString pkg = sandbox_->Package("kept.tar.gz", "kept");
        Open();
        SetFile(pkg);
        QString startSelection;
        guitest::WhenModalOpens([&](QWidget* dialog) {
            auto* tree = dialog->findChild<QTreeView*>("browseTree");
            startSelection = qobject_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex());
            tree->setCurrentIndex(qobject_cast<QFileSystemModel*>(tree->model())->index(sandbox_->Packages()));
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        });
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdFindFileName"), Qt::LeftButton);
        QCOMPARE(startSelection, sandbox_->Documents());
        QCOMPARE(FileBox()->text(), pkg);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("kept"));
    }

    void aSessionChangesNoFileAndWritesNothingButTheEngine() {
        sandbox_->StoreInstallerDir(sandbox_->Packages());
        const QString a = sandbox_->Package("a.tar.gz", "a"), b = sandbox_->Package("b.TAR.GZ", "b");
        sandbox_->Package("notes.txt", "notes");
        const QString root = QFileInfo(sandbox_->Home()).path();
        const QString programDir = QCoreApplication::applicationDirPath();
        const auto before = Snapshot(root), programBefore = Snapshot(programDir);

        Open();
        FileBox()->clear();
        QTest::keyClicks(FileBox(), a);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("a"));
        SetFile(sandbox_->Packages() + "/notes.txt");
        guitest::WhenModalOpens([&](QWidget* dialog) {
            auto* tree = dialog->findChild<QTreeView*>("browseTree");
            tree->setCurrentIndex(qobject_cast<QFileSystemModel*>(tree->model())->index(b));
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdFindFileName"), Qt::LeftButton);
        QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("b"));
        guitest::WhenModalOpens(
            [](QWidget* dialog) { dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdFindFileName"), Qt::LeftButton);
        window_.reset();

        QCOMPARE(Snapshot(root), before);
        auto programAfter = Snapshot(programDir);
        programAfter.remove(programDir + "/md5.so");  // the one file the program writes
        auto programExpected = programBefore;
        programExpected.remove(programDir + "/md5.so");
        QCOMPARE(programAfter, programExpected);
    }

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

    void escapeOrTheCloseBoxCancelsAtOnce() {
        for (const bool closeBox : {false, true}) {
            const QString pkg = SlowPackage(closeBox ? "closed.tar.gz" : "escaped.tar.gz");
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
                } else {
                    QTest::keyClick(FileBox(), Qt::Key_Escape);
                }
            });
            QElapsedTimer took;
            took.start();
            SetFile(pkg);
            QVERIFY2(took.elapsed() < 9 * kSlowReadMs, "the wait ended without waiting for the work");
            QCOMPARE(DigestBox()->text(), QString());
            QCOMPARE(window_->windowTitle(), QString("Pellwick"));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            QCOMPARE(modal, QString());
            if (closeBox) {
                QVERIFY2(window_->isVisible(), "the window closes once the handler has returned");
                QTRY_VERIFY(!window_->isVisible());
            } else {
                qunsetenv("PELLWICK_FAULT_ACTION");
                window_->SetFileNameText(pkg.toStdString());
                QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper(slowContent_));
            }
        }
    }

    void verdictFromChecksumFilesAndTheClipboard() {
        Open();
        const struct {
            QList<QPair<QString, QByteArray>> files;
            QByteArray clipboard;
            QString caption;
        } cases[] = {
            {{{"foo.tar.gz.md5", "{h}  foo.tar.gz\n"}}, "", kMatches + "foo.tar.gz.md5"},
            {{{"foo.tar.gz.md5", "{H}\n"}}, "", kMatches + "foo.tar.gz.md5"},
            {{{"MD5SUMS", "{w}  bar.tar.gz\n{h} *foo.tar.gz\n"}}, "", kMatches + "MD5SUMS"},
            {{{"MD5SUMS", "MD5 (foo.tar.gz) = {H}\r\n"}}, "", kMatches + "MD5SUMS"},
            {{{"MD5SUMS", "{w}  foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS"},
            {{{"MD5SUMS", "{h}  bar.tar.gz\n"}}, "", "Pellwick"},
            {{}, " {h}\n", kMatches + "clipboard"},
            {{}, "{w}", kDiffers + "clipboard"},
            {{}, "Release notes", "Pellwick"},
        };
        for (const auto& c : cases) {
            qInfo() << c.caption << c.clipboard;
            QGuiApplication::clipboard()->setText(QString::fromLatin1(Filled(c.clipboard)));
            SetFile(PackageWith(c.files));
            QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("hello"));
            ExpectVerdict(c.caption);
        }
        QGuiApplication::clipboard()->clear();
        SetFile(PackageWith({{"foo.tar.gz.md5", "{h}\n"}}));
        window_->SetHighContrast(true);
        ExpectVerdict(kMatches + "foo.tar.gz.md5", false);
        window_->SetHighContrast(false);
        QCOMPARE(DigestBox()->palette().color(QPalette::Base).rgb() & 0xFFFFFF, window::kMatchBackground);
        SetFile("");
        ExpectVerdict("Pellwick");
    }

    void commandLineAndDropTakeAPackageOrAChecksumFile() {
        const QString package = PackageWith({{"release.md5", "{h}  missing.tar.gz\n{h}  foo.tar.gz\n"}});
        const QString folder = QFileInfo(package).path(), cwd = QDir::currentPath();
        QDir::setCurrent(folder);
        for (const QString& argument : {QString("foo.tar.gz"), QString("release.md5")}) {
            Open().OpenArguments({argument});
            QCOMPARE(FileBox()->text(), package);
            QCOMPARE(DigestBox()->text(), Sandbox::Md5Upper("hello"));
            ExpectVerdict(argument == "foo.tar.gz" ? QString("Pellwick") : kMatches + "release.md5");
        }
        QDir::setCurrent(cwd);
        QString shown;
        guitest::WhenModalOpens([&shown](QWidget* modal) {
            shown = qobject_cast<QMessageBox*>(modal)->text();
            modal->close();
        });
        Open().OpenArguments({"a.tar.gz", "b.tar.gz"});
        QVERIFY2(shown.startsWith("Usage: Pellwick [PATH]"), qPrintable(shown));
        QCOMPARE(FileBox()->text(), sandbox_->Documents());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder + "/release.md5")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &drop);
        QCOMPARE(FileBox()->text(), package);
        ExpectVerdict(kMatches + "release.md5");
    }

    void browseChoosingAFolderEmptiesTheDigest() {
        const QString pkg = sandbox_->Package("x.tar.gz", "x");
        Open();
        SetFile(pkg);
        guitest::WhenModalOpens([&](QWidget* dialog) {
            auto* tree = dialog->findChild<QTreeView*>("browseTree");
            tree->setCurrentIndex(qobject_cast<QFileSystemModel*>(tree->model())->index(sandbox_->Packages()));
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(window_->findChild<QPushButton*>("cmdFindFileName"), Qt::LeftButton);
        QCOMPARE(FileBox()->text(), sandbox_->Packages());
        QCOMPARE(DigestBox()->text(), QString());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
