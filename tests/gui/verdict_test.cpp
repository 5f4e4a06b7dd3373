// The verdict in the Linux window: caption, colour, tooltip and accessible description from
// checksum files and the clipboard, the command line and drops.
#include <QApplication>
#include <QClipboard>
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
            {{{"MD5SUMS", "{w}  foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS"},
            {{{"MD5SUMS", "{h}  bar.tar.gz\n"}}, "", "Pellwick"},
            {{}, " {h}\n", kMatches + "clipboard"},
            {{}, "{w}", kDiffers + "clipboard"},
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
        QTest::keyClicks(DigestBox(), "0");  // a digest the person edits has no verdict
        QCOMPARE(window_->windowTitle(), QString("Pellwick"));
        QVERIFY(!DigestBox()->testAttribute(Qt::WA_SetPalette));
        QCOMPARE(DigestBox()->toolTip(), QString());
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
};

QTEST_MAIN(VerdictTest)
#include "verdict_test.moc"
