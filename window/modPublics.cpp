#include "window/modPublics.h"

#include "runtime/settings.h"
#include "shell/modSpecialFolders.h"

namespace modPublics {

std::string mDefaultDir;

std::string ReadInstallerDirectory() {
    const std::string documents = modSpecialFolders::GetSpecialFolder(modSpecialFolders::kCsidlPersonal);
    return runtime::GetSetting(kSettingsApp, kSettingsSection, kSettingsKey, documents);
}

}  // namespace modPublics
