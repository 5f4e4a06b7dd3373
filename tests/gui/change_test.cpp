// The Linux window driven as a person would, name by name: typing, other endings, names of
// nothing, errors, drops, the browse dialog, and a session that must change no file.
#include <sys/stat.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "tests/gui/gui_fixture.h"

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

}  // namespace

class ChangeTest : public guitest::WindowTest {
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(ChangeTest)
#include "change_test.moc"
