// The Linux browse dialog, owned by a Qt widget.
#pragma once

#include <cstdint>
#include <string>

#include "shell/modBrowseForFolder.h"

class QWidget;

namespace modBrowseForFolder {

// The full path of the chosen item, or "" when the dialog was cancelled.
std::string BrowseForFolder(QWidget* owner, const std::string& title, const std::string& startDir, std::int32_t flags);

}  // namespace modBrowseForFolder
