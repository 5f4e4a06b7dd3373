// Run-time errors: a number and a text that names the file concerned and the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace runtime {

// Numbers follow the classic BASIC run-time error numbering, so the numbers a person
// sees are the familiar ones.
enum ErrorNumber : int {
    kOverflow = 6,
    kOutOfMemory = 7,
    kDllLoadError = 48,
    kBadFileName = 52,
    kFileNotFound = 53,
    kFileAlreadyOpen = 55,
    kDeviceIoError = 57,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kResourceNotFound = 326,
    kEntryPointNotFound = 453,
};

class Error : public std::runtime_error {
public:
    Error(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
    int number() const noexcept { return number_; }
    std::string text() const { return what(); }

private:
    int number_;
};

// "File not found: "/a/b.tar.gz"" and friends: one place decides how a file is quoted.
std::string Quoted(const std::string& path);

}  // namespace runtime
