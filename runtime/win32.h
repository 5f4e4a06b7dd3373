// Helpers shared by the Win32 halves of runtime/ and shell/: handle owners, the system's
// reason for a failure, and paths in the form the wide file APIs take at any length.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <utility>

namespace runtime::win32 {

// The text of a system error code, without the trailing line break.
std::string Reason(DWORD code);

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The path as the wide file APIs take it: with backslashes, and made absolute with the
// long-path prefix ("\\?\" + path) once it is long enough that MAX_PATH would cut it.
std::wstring FilePath(const std::string& utf8);

// Owns a kernel handle; both INVALID_HANDLE_VALUE (files) and null (others) mean none.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Reset() {
        if (Valid()) ::CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

class UniqueFind {
public:
    explicit UniqueFind(HANDLE h) : h_(h) {}
    ~UniqueFind() {
        if (Valid()) ::FindClose(h_);
    }
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey() {
        if (k_ != nullptr) ::RegCloseKey(k_);
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    HKEY* Out() { return &k_; }
    HKEY Get() const { return k_; }

private:
    HKEY k_ = nullptr;
};

}  // namespace runtime::win32
