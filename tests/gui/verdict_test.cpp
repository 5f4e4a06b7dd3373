// The verdict in the Linux window: caption, colour, tooltip and accessible description from
// checksum files and the clipboard, the command line and drops.
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "tests/gui/gui_fixture.h"

using guitest::Sandbox;

namespace {

const QString kMatches = QString::fromUtf8("Pellwick \u2013 matches "),
              kDiffers = QString::fromUtf8("Pellwick \u2013 DOES NOT MATCH ");

}  // namespace

class VerdictTest : public guitest::WindowTest {
    Q_OBJECT

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
    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The file's digest by Qt's own hashes, named as the caption names it.
    static QString DigestOf(const QString& path, const QByteArray& algorithm) {
        const auto kind = algorithm == "SHA-1"     ? QCryptographicHash::Sha1
                          : algorithm == "SHA-256" ? QCryptographicHash::Sha256
                                                   : QCryptographicHash::Sha512;
        return QString::fromLatin1(QCryptographicHash::hash(ReadAll(path), kind).toHex().toUpper());
    }
    // In high-contrast mode the box keeps the system's colours. The tooltip holds the digest
    // computed for what was checked: the MD5 unless another is named.
    void ExpectVerdict(const QString& caption, bool coloured = true,
                       const QString& computed = Sandbox::Md5Upper("hello")) {
        QCOMPARE(window_->windowTitle(), caption);
        const bool none = caption == "Pellwick";
        QCOMPARE(DigestBox()->testAttribute(Qt::WA_SetPalette), !none && coloured);
        if (!none && coloured) {
            const bool match = caption.startsWith(kMatches);
            QCOMPARE(DigestBox()->palette().color(QPalette::Base).rgb() & 0xFFFFFF,
                     match ? window::kMatchBackground : window::kMismatchBackground);
        }
        QCOMPARE(DigestBox()->toolTip().contains(computed), !none);
        const QString said = "The package " + caption.section(QString::fromUtf8(" \u2013 "), 1) + ".";
        QCOMPARE(DigestBox()->accessibleDescription(), none ? QString() : said);  // for a screen reader
    }

private slots:
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

    // Each form as its tool wrote it (tests/verify/make_forms.sh) matches; a byte of the package
    // changed, it does not. A Debian source package on the command line opens its .orig.tar.gz;
    // a SHA-256 on the clipboard counts whole, not one digit short.
    void formsMadeByTheirToolsMatchAndAChangedPackageDoesNot() {
        QFile forms(qEnvironmentVariable("PELLWICK_FORMS"));
        QVERIFY2(forms.open(QIODevice::ReadOnly), "ctest makes the forms first");
        Open();
        for (const QByteArray& line : forms.readAll().split('\n')) {
            const QList<QByteArray> form = line.split('\t');
            if (form.size() != 5) continue;
            qInfo() << form;
            const QString folder = sandbox_->Packages() + "/" + QFileInfo(form[0]).fileName();
            QVERIFY(QDir().mkpath(folder));
            for (const QByteArray& name : {form[1], form[2]}) {
                QVERIFY(QFile::copy(form[0] + "/" + name, folder + "/" + name));
            }
            const QString package = folder + "/" + form[1], source = form[2] + " (" + form[3] + ")";
            SetFile(package);
            if (form[4] != "matches") {
                QCOMPARE(window_->windowTitle(), kDiffers + source);
                continue;
            }
            ExpectVerdict(kMatches + source, true, DigestOf(package, form[3]));
            const bool signedList = form[2].endsWith("CHECKSUM") || form[2].endsWith(".dsc");
            QCOMPARE(DigestBox()->toolTip().contains("its signature was not verified"), signedList);
            QFile changed(package);
            QVERIFY(changed.open(QIODevice::ReadWrite));
            changed.seek(3);
            changed.write("#");
            changed.close();
            window_->SetFileNameText(package.toStdString());  // the same name: digested again
            QCOMPARE(window_->windowTitle(), kDiffers + source);
            if (form[2] == "SHASUMS256.txt") {
                const QString sha256 = QString::fromLatin1(ReadAll(folder + "/" + form[2]).left(64));
                for (const QString& copied : {sha256, sha256.left(63)}) {
                    QGuiApplication::clipboard()->setText(copied);
                    window_->SetFileNameText(package.toStdString());
                    QCOMPARE(window_->windowTitle(),
                             kDiffers + source + (copied.size() == 64 ? ", clipboard (SHA-256)" : ""));
                }
                QGuiApplication::clipboard()->clear();
            }
            if (form[2].endsWith(".dsc")) {
                QVERIFY(QFile::remove(package));
                QVERIFY(QFile::copy(form[0] + "/" + form[1], package));
                Open().OpenArguments({folder + "/" + form[2]});
                QCOMPARE(FileBox()->text(), package);
                QCOMPARE(window_->windowTitle(), kMatches + source);
            }
        }
    }
};

QTEST_MAIN(VerdictTest)
#include "verdict_test.moc"
