// The installer keeps its settings under HKEY_CURRENT_USER\Software\<app>\<section>.
#include <vector>

#include "runtime/error.h"
#include "runtime/settings.h"
#include "runtime/system_win32.h"

namespace runtime {

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    const std::wstring subkey = win32::Wide("Software\\" + app + "\\" + section);
    const std::wstring name = win32::Wide(key);
    const std::string where = "HKEY_CURRENT_USER\\Software\\" + app + "\\" + section + "\\" + key;
    win32::UniqueKey hkey;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, hkey.Out());
    if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (status != ERROR_SUCCESS) {
        throw Error(kPermissionDenied, "Cannot read the setting " + Quoted(where) + ": " + win32::Reason(status));
    }
    std::vector<wchar_t> value(256);
    for (;;) {
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(hkey.Get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            value.resize(bytes / sizeof(wchar_t) + 1);
            continue;  // the value grew between the two reads
        }
        // A value of another kind is not the text the installer stores: as good as absent.
        if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE) return defaultValue;
        if (status != ERROR_SUCCESS) {
            throw Error(kPermissionDenied, "Cannot read the setting " + Quoted(where) + ": " + win32::Reason(status));
        }
        const std::size_t units = bytes / sizeof(wchar_t);
        return win32::Narrow(std::wstring(value.data(), units > 0 ? units - 1 : 0));
    }
}

}  // namespace runtime
