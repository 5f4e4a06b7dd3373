// Owners for what the shell hands out, and the path of an item identifier list.
#pragma once

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "runtime/win32.h"

namespace shell::win32 {

// An item identifier list from the shell, freed with the task allocator.
class UniqueItemList {
public:
    UniqueItemList() = default;
    explicit UniqueItemList(PIDLIST_ABSOLUTE list) : list_(list) {}
    ~UniqueItemList() { ::CoTaskMemFree(list_); }
    UniqueItemList(const UniqueItemList&) = delete;
    UniqueItemList& operator=(const UniqueItemList&) = delete;
    PIDLIST_ABSOLUTE* Out() { return &list_; }
    PCIDLIST_ABSOLUTE Get() const { return list_; }

private:
    PIDLIST_ABSOLUTE list_ = nullptr;
};

// COM for the calling thread, as the shell's dialogs need it.
class ComApartment {
public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();  // S_FALSE too: every success is counted
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT hr_;
};

// The file-system path of the item, at any length, or "" when it has none.
std::wstring PathOf(PCIDLIST_ABSOLUTE item);

}  // namespace shell::win32
