#include "window/main_window_qt.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <limits>

#include "runtime/unique_resource.h"
#include "shell/modBrowseForFolder_qt.h"
#include "window/clipboard_qt.h"
#include "window/high_contrast_qt.h"
#include "window/layout.h"

namespace window {

namespace {

QString LocalFileOf(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

// What a person does to the window, which a wait drops rather than queues.
bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

// How often a wait looks whether the caption's progress is due.
constexpr int kCaptionTickMs = 25;

}  // namespace

MainWindow::MainWindow()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      cmdFindFileName_(new QPushButton("...", this)),
      txtFileName_(new QLineEdit("txtFileName", this)),
      txtMD5_(new QLineEdit("txtMD5", this)),
      Label1_(new QLabel(tr("MD5:"), this)),
      lblFile_(new QLabel(tr("File:"), this)),
      form_(*this) {
    SetUpVerdict();  // first: it tells Qt what the window is before anything asks
    setObjectName("frmMain");
    setWindowTitle(frmMain::kCaption);
    // Qt takes a tool window for a helper that closing does not end; this one is the program.
    setAttribute(Qt::WA_QuitOnClose, true);
    cmdFindFileName_->setObjectName("cmdFindFileName");
    txtFileName_->setObjectName("txtFileName");
    txtFileName_->setProperty("Tag", "DestinationDir");  // the box's invisible second design-time text
    txtMD5_->setObjectName("txtMD5");
    Label1_->setObjectName("Label1");
    lblFile_->setObjectName("lblFile");
    Label1_->setBuddy(txtMD5_);
    lblFile_->setBuddy(txtFileName_);
    txtFileName_->setAccessibleName(tr("File:"));
    txtMD5_->setAccessibleName(tr("MD5:"));
    cmdFindFileName_->setAccessibleName(tr("Browse"));
    cmdFindFileName_->setAutoDefault(false);
    // No length limit on either box: Qt's default would cut a long path at 32767 characters.
    txtFileName_->setMaxLength(std::numeric_limits<int>::max());
    txtMD5_->setMaxLength(std::numeric_limits<int>::max());

    PlaceControls();
    setTabOrder(txtMD5_, txtFileName_);
    setTabOrder(txtFileName_, cmdFindFileName_);

    setAcceptDrops(true);
    // The boxes would take a dropped file as text; the window takes it as a file name.
    txtFileName_->installEventFilter(this);
    txtMD5_->installEventFilter(this);

    connect(txtFileName_, &QLineEdit::textChanged, this, [this] { form_.OnFileNameChanged(); });
    connect(txtMD5_, &QLineEdit::textChanged, this,
            [this](const QString& text) { form_.OnDigestTextChanged(text.toStdString()); });
    connect(cmdFindFileName_, &QPushButton::clicked, this, [this] { form_.OnFindFileNameClicked(); });

    AskHighContrast(this, [this](bool on) { SetHighContrast(on); });
    form_.OnLoad();
    txtMD5_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::OpenArguments(const QStringList& arguments) {
    std::vector<std::string> utf8;
    for (const QString& argument : arguments) utf8.push_back(argument.toStdString());
    form_.OnArguments(utf8);
}

int MainWindow::TwipsToPixels(int twips) const {
    return layout::TwipsToPixels(twips, logicalDpiX());
}

void MainWindow::PlaceControls() {
    const auto place = [this](QWidget* control, const layout::TwipsRect& r) {
        control->setGeometry(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
                             TwipsToPixels(r.height));
    };
    place(cmdFindFileName_, layout::kFindFileName);
    place(txtFileName_, layout::kFileName);
    place(txtMD5_, layout::kMD5);
    place(Label1_, layout::kLabel1);
    place(lblFile_, layout::kLabelFile);
    setFixedSize(TwipsToPixels(layout::kClientWidth), TwipsToPixels(layout::kClientHeight));
}

std::string MainWindow::FileNameText() const {
    return txtFileName_->text().toStdString();
}

void MainWindow::SetFileNameText(const std::string& text) {
    const QString value = QString::fromStdString(text);
    // Every assignment runs the change handler, as typing does; Qt reports no change for
    // an equal text, so run it here then.
    if (value == txtFileName_->text()) {
        form_.OnFileNameChanged();
    } else {
        txtFileName_->setText(value);
    }
}

std::string MainWindow::DigestText() const {
    return txtMD5_->text().toStdString();
}

void MainWindow::SetDigestText(const std::string& text) {
    txtMD5_->setText(QString::fromStdString(text));
}

std::string MainWindow::BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) {
    return modBrowseForFolder::BrowseForFolder(this, title, startDir, flags);
}

void MainWindow::ShowError(const std::string& message) {
    QMessageBox box(QMessageBox::Critical, frmMain::kCaption, QString::fromStdString(message), QMessageBox::Ok, this);
    box.setObjectName("errorBox");
    box.exec();
}

void MainWindow::SetCaption(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
    // Qt tells assistive technology nothing of a new title by itself.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

std::function<std::string(std::size_t limit)> MainWindow::ClipboardReader() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Another X client's clipboard is asked over a connection of the reader's own, on the worker:
    // an owner that does not answer then holds up nothing but that worker. Every other clipboard
    // (one this window owns, Qt's offscreen one, Wayland's, read within Qt's own time limit) is
    // read here, as it is taken.
    if (QGuiApplication::platformName() == "xcb" && !clipboard->ownsClipboard()) {
        // It gives up later than the sources' time limit, which passes it over and says so first.
        return [display = x11::DisplayName()](std::size_t limit) {
            return x11::ReadClipboardText(display, limit, std::chrono::seconds(2));
        };
    }
    return [text = clipboard->text().toUtf8().toStdString()](std::size_t limit) {
        return text.size() <= limit ? text : std::string();
    };
}

void MainWindow::CloseLater() {
    QMetaObject::invokeMethod(this, "close", Qt::QueuedConnection);
}

void MainWindow::changeEvent(QEvent* event) {
    // A new theme may be a high-contrast one.
    if (event->type() == QEvent::PaletteChange) AskHighContrast(this, [this](bool on) { SetHighContrast(on); });
    QWidget::changeEvent(event);
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::WaitFor(runtime::Job& job, const std::function<void()>& tick) {
    QEventLoop loop;
    // A queued call wakes the loop at once when the job finishes or is cancelled. By the slot's
    // name, so that no functor is allocated on the worker thread.
    job.OnSettled([&loop] { QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection); });
    if (job.Finished() || job.Cancelled()) return;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, this, [&tick] { tick(); });
    ticks.start(kCaptionTickMs);
    waiting_ = true;
    qApp->installEventFilter(this);
    const runtime::ScopeGuard done([this, &job] {
        job.OnSettled(nullptr);  // the loop goes with this call: nothing may wake it after
        qApp->removeEventFilter(this);
        waiting_ = false;
    });
    loop.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (form_.OnCloseAsked()) {
        QWidget::closeEvent(event);
    } else {
        event->ignore();
    }
}

bool MainWindow::TakeDroppedFile(QDropEvent* event) {
    const QString file = LocalFileOf(event->mimeData());
    if (file.isEmpty()) return false;
    event->acceptProposedAction();
    form_.OnFileDropped(file.toStdString());
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    TakeDroppedFile(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // In high contrast the mark takes the box's text colour, also when a new theme changes it.
    if (watched == txtMD5_ && event->type() == QEvent::PaletteChange) ShowMark();
    if (waiting_ && form_.Waiting()) {
        // A wait takes no input but Escape, which cancels it (and the close box, which is no event here).
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            form_.OnEscape();
        }
        return IsInput(event->type());
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (LocalFileOf(drag->mimeData()).isEmpty()) break;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop:
            if (TakeDroppedFile(static_cast<QDropEvent*>(event))) return true;
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace window
