// The verdict on the digest box: its colours and mark, its details from the keyboard, and what
// assistive technology is told of it.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QIconEngine>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QShortcut>
#include <algorithm>
#include <memory>
#include <utility>

#include "window/main_window_qt.h"

namespace window {

namespace {

// The mark as strokes, drawn at whatever size and pixel ratio the box asks for.
class MarkEngine final : public QIconEngine {
public:
    MarkEngine(VerdictMark mark, QColor colour) : mark_(std::move(mark)), colour_(colour) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const qreal side = std::min(rect.width(), rect.height());
        const QPointF origin = QRectF(rect).center() - QPointF(side / 2, side / 2);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour_, mark_.penWidth * side, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const auto& stroke : mark_.strokes) {
            QPolygonF line;
            for (const MarkPoint& point : stroke) line << origin + QPointF(point.x * side, point.y * side);
            painter->drawPolyline(line);
        }
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap image(size);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return image;
    }
    QIconEngine* clone() const override { return new MarkEngine(*this); }

private:
    VerdictMark mark_;
    QColor colour_;
};

// The window as a frame, as screen readers expect a program's window to be; Qt takes a plain
// top-level widget for a client area (AT-SPI's "filler"). The class has no meta-object of its
// own, so Qt asks for it as a QWidget.
QAccessibleInterface* FrameOf(const QString& className, QObject* object) {
    auto* window = dynamic_cast<MainWindow*>(object);
    if (window == nullptr || className != QLatin1String("QWidget")) return nullptr;
    return new QAccessibleWidget(window, QAccessible::Window);
}

}  // namespace

void MainWindow::SetUpVerdict() {
    static const bool frameInstalled = [] {
        QAccessible::installFactory(&FrameOf);
        return true;
    }();
    (void)frameInstalled;

    // Hidden until a verdict shows; its text is the sentence, its accessible name.
    verdictMark_ = txtMD5_->addAction(QIcon(), QLineEdit::TrailingPosition);
    verdictMark_->setObjectName("verdictMark");
    verdictMark_->setVisible(false);
    connect(verdictMark_, &QAction::triggered, this, [this] { form_.OnDetailsAsked(); });

    for (QLineEdit* box : {txtFileName_, txtMD5_}) {
        auto* details = new QShortcut(box);
        details->setKeys({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
        details->setContext(Qt::WidgetShortcut);
        connect(details, &QShortcut::activated, this, [this] { form_.OnDetailsAsked(); });
    }
    // Qt opens the menu for the Menu key, but not for Shift+F10, the other key for it.
    txtMD5_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtMD5_, &QLineEdit::customContextMenuRequested, this, &MainWindow::ShowDigestBoxMenu);
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), txtMD5_);
    menuKey->setContext(Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this,
            [this] { ShowDigestBoxMenu(txtMD5_->inputMethodQuery(Qt::ImCursorRectangle).toRect().bottomLeft()); });
}

void MainWindow::ShowVerdict(const ShownVerdict& shown) {
    verdict_ = shown.verdict;
    ShowVerdictLook();
    const QString sentence = QString::fromStdString(shown.sentence), detail = QString::fromStdString(shown.detail);
    txtMD5_->setToolTip(detail);
    verdictMark_->setText(sentence);
    verdictMark_->setToolTip(detail);
    verdictMark_->setVisible(shown.verdict != verify::Verdict::kNone);
    AnnounceVerdict(sentence);
}

void MainWindow::SetHighContrast(bool on) {
    highContrast_ = on || HighContrastForced();
    ShowVerdictLook();
}

void MainWindow::ShowVerdictLook() {
    const std::optional<unsigned> background = VerdictBackground(verdict_, highContrast_);
    if (!background) {
        txtMD5_->setPalette(QPalette());  // nothing set: the system's colours again
    } else {
        QPalette palette = txtMD5_->palette();
        palette.setColor(QPalette::Base, QColor(*background));
        palette.setColor(QPalette::Text, Qt::black);  // legible on the light tint under a dark theme too
        txtMD5_->setPalette(palette);
    }
    ShowMark();
}

void MainWindow::ShowMark() {
    const VerdictMark mark = MarkFor(verdict_, highContrast_);
    const QColor colour = mark.colour ? QColor(*mark.colour) : txtMD5_->palette().color(QPalette::Text);
    verdictMark_->setIcon(QIcon(new MarkEngine(mark, colour)));
}

void MainWindow::ShowDigestBoxMenu(const QPoint& at) {
    // The box's own entries, then the details.
    const std::unique_ptr<QMenu> menu(txtMD5_->createStandardContextMenu());
    menu->setObjectName("digestBoxMenu");
    menu->addSeparator();
    QAction* details = menu->addAction(tr(frmMain::kDetailsCommand));
    details->setEnabled(form_.DetailsOffered());
    if (menu->exec(txtMD5_->mapToGlobal(at)) == details) form_.OnDetailsAsked();
}

void MainWindow::ShowInformation(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setObjectName("informationBox");
    box.setTextFormat(Qt::PlainText);  // names from checksum files are no markup
    // Qt's box copies its text on Ctrl+C on Windows alone.
    const QShortcut copy(QKeySequence::Copy, &box, [&box] { QGuiApplication::clipboard()->setText(box.text()); });
    box.exec();
}

void MainWindow::AnnounceVerdict(const QString& sentence) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (!sentence.isEmpty()) {
        QAccessibleAnnouncementEvent announcement(this, sentence);
        QAccessible::updateAccessibility(&announcement);
    }
#endif
    // Orca speaks a new description of the object that has the focus; it passes over the
    // window's new name. Both boxes take the sentence, so that it stays with the focus when it
    // moves, the focused one last, so that its change is the one spoken.
    QLineEdit* boxes[] = {txtFileName_, txtMD5_};
    if (txtFileName_->hasFocus()) std::swap(boxes[0], boxes[1]);
    for (QLineEdit* box : boxes) {
        if (!sentence.isEmpty() || box->accessibleDescription() != sentence) box->setAccessibleDescription(sentence);
    }
}

}  // namespace window
