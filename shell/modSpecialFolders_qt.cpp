// On Linux the personal documents folder is the XDG documents directory.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "shell/modSpecialFolders.h"

namespace modSpecialFolders {

std::string GetSpecialFolder(std::int32_t folderId) {
    if (folderId != kCsidlPersonal) return "";
    const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Qt names ~/Documents even where there is none; a folder that is not there is none.
    if (path.isEmpty() || !QFileInfo(path).isDir()) return "";
    return QDir::cleanPath(path).toStdString();
}

}  // namespace modSpecialFolders
