// The Linux front end of the main window: Qt widgets at the window's twips geometry.
#pragma once

#include <QWidget>

#include "window/frmMain.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace window {

class MainWindow : public QWidget, public MainView {
public:
    MainWindow();

    // MainView
    std::string FileNameText() const override;
    void SetFileNameText(const std::string& text) override;
    std::string DigestText() const override;
    void SetDigestText(const std::string& text) override;
    std::string BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) override;
    void ShowError(const std::string& message) override;
    void SetBusy(bool busy) override;
    void SetCaption(const std::string& text) override;
    void WaitFor(runtime::Job& job, const std::function<void()>& tick) override;
    std::function<std::string(std::size_t limit)> ClipboardReader() override;
    void ShowVerdict(const ShownVerdict& shown) override;
    void ShowInformation(const std::string& title, const std::string& text) override;
    void CloseLater() override;

    // The command line's arguments (without the program's name), after start-up.
    void OpenArguments(const QStringList& arguments);
    // In high-contrast mode the digest box keeps the system's colours.
    void SetHighContrast(bool on);

    // Pixels for a length in twips at this window's logical DPI.
    int TwipsToPixels(int twips) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceControls();
    bool TakeDroppedFile(QDropEvent* event);
    // The verdict's parts (verdict_qt.cpp): the mark, its keys and menu, made once; its look for
    // the verdict and the contrast in force; the digest box's menu; what screen readers are told.
    void SetUpVerdict();
    void ShowVerdictLook();
    void ShowMark();
    void ShowDigestBoxMenu(const QPoint& at);
    void AnnounceVerdict(const QString& sentence);

    QPushButton* cmdFindFileName_;
    QLineEdit* txtFileName_;
    QLineEdit* txtMD5_;
    QLabel* Label1_;
    QLabel* lblFile_;
    QAction* verdictMark_ = nullptr;  // the digest box's trailing action: the mark
    bool waiting_ = false;
    verify::Verdict verdict_ = verify::Verdict::kNone;
    bool highContrast_ = HighContrastForced();
    frmMain form_;
};

}  // namespace window
