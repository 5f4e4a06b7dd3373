#include <QString>
#include <QWidget>

#include "shell/browse_dialog_qt.h"
#include "shell/modBrowseForFolder.h"

namespace modBrowseForFolder {

namespace {

// The start directory and a closing NUL; the only channel from BrowseForFolder to the
// callback. Kept after the dialog closes until the next one opens.
std::string mStartDir;

int BrowseCallbackProc(BrowseDialog* dialog, unsigned message, const QModelIndex* selected) {
    // Nothing escapes into the dialog's event handling.
    try {
        if (message == BFFM_INITIALIZED) {
            const std::string start = mStartDir.substr(0, mStartDir.find('\0'));
            dialog->SetSelection(QString::fromStdString(start));
        } else if (message == BFFM_SELCHANGED && selected != nullptr) {
            const QString path = dialog->PathOf(*selected);
            if (!path.isEmpty()) dialog->SetStatusText(path);
        }
    } catch (...) {
    }
    return 0;
}

}  // namespace

std::string BrowseForFolder(void* owner, const std::string& title, const std::string& startDir, std::int32_t flags) {
    mStartDir = startDir + '\0';
    BrowseDialog dialog(static_cast<QWidget*>(owner), QString::fromStdString(title), flags, &BrowseCallbackProc);
    if (dialog.exec() != QDialog::Accepted) return "";
    return dialog.SelectedPath().toStdString();
}

}  // namespace modBrowseForFolder
