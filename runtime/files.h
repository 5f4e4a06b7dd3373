// File services the program needs from its platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace runtime {

// The directory of the running executable, without a trailing separator (except a root).
std::string ProgramDirectory();

// The bare name of the ordinary file (no directory, hidden or system file) that the text
// names, or "" when it names none. Wildcards name no file.
std::string FindFirstMatch(const std::string& text);

// A file opened for reading, owned until destruction. Errors name the file.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `capacity` bytes; 0 only at the end of the file.
    std::size_t Read(unsigned char* buffer, std::size_t capacity);
    // The size when the file was opened.
    std::uint64_t Size() const;

private:
    struct Handle;
    std::string path_;
    std::unique_ptr<Handle> handle_;
};

// True when the file exists and its content is exactly `data`.
bool FileHoldsExactly(const std::string& path, std::span<const unsigned char> data);

// True when a file exists at the path and is marked read-only.
bool IsReadOnlyFile(const std::string& path);

// Writes `data` to a new file beside `path` and moves it over `path` in one step, so that
// `path` is at every moment either the old file or the complete new one. Throws on failure
// and leaves no temporary file behind.
void ReplaceFileAtomically(const std::string& path, std::span<const unsigned char> data);

}  // namespace runtime
