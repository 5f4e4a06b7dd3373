// The per-user application settings store, read only.
#pragma once

#include <string>

namespace runtime {

// The stored text (an empty stored text included), or `defaultValue` when no such value
// is stored.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue);

}  // namespace runtime
