#include "shell/modBrowseForFolder_qt.h"

#include <QString>

#include "shell/browse_dialog_qt.h"

namespace modBrowseForFolder {

std::string BrowseForFolder(QWidget* owner, const std::string& title, const std::string& startDir, std::int32_t flags) {
    BrowseDialog dialog(owner, QString::fromStdString(title), QString::fromStdString(startDir), flags);
    if (dialog.exec() != QDialog::Accepted) return "";
    return dialog.SelectedPath().toStdString();
}

}  // namespace modBrowseForFolder
