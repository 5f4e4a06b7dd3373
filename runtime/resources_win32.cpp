// Resources of a Windows executable: the PE resources that its .rc file put there.
#include "runtime/error.h"
#include "runtime/resources.h"
#include "runtime/system_win32.h"

namespace runtime {

std::span<const unsigned char> LoadResourceData(int id, const std::string& typeName) {
    const std::wstring type = win32::Wide(typeName);
    const HMODULE self = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), type.c_str());
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(self, found) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        throw Error(kResourceNotFound, "The program carries no resource " + std::to_string(id) + " of type " +
                                           Quoted(typeName) + ": " + win32::Reason(::GetLastError()));
    }
    // Resource memory is mapped with the image and lives as long as the process.
    return {static_cast<const unsigned char*>(data), ::SizeofResource(self, found)};
}

}  // namespace runtime
