// File services the program needs from its platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// The directory of the running executable, without a trailing separator (except a root).
std::string ProgramDirectory();

// The bare name of the ordinary file (no directory, hidden or system file) that the text
// names, or "" when it names none. Wildcards name no file.
std::string FindFirstMatch(const std::string& text);

// The bare names of the ordinary files in the folder ("" is the current one) that `wanted`
// accepts, as FindFirstMatch counts them (no folders, hidden or system files). The folder is
// read once, and only the names accepted are looked at further. Nothing when it cannot be read.
std::vector<std::string> ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& wanted);

// What the file system changes whenever an entry of the folder is added, removed or renamed (its
// identity and times), so that a listing may be kept while it stays the same; nothing when it
// cannot be told, or when the folder changed less than two seconds ago, within which a coarse
// clock may not have moved.
std::optional<std::string> SettledFolderStamp(const std::string& folder);

// A buffer for reads that starts at a page: the system's copy from the page cache into one that
// starts 16 bytes into a page (as a plain allocation of 64 KiB and more does) was measured to cost
// several times as much.
struct PageAlignedDelete {
    void operator()(unsigned char* bytes) const;
};
using ReadBuffer = std::unique_ptr<unsigned char[], PageAlignedDelete>;
ReadBuffer NewReadBuffer(std::size_t size);

// A file opened for reading, owned until destruction. Errors name the file.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `capacity` bytes; 0 only at the end of the file.
    std::size_t Read(unsigned char* buffer, std::size_t capacity);
    // The size when it was opened.
    std::uint64_t Size() const;

private:
    struct Handle;
    std::string path_;
    std::unique_ptr<Handle> handle_;
};

// Made on a thread that reads files, lets another thread interrupt that thread's blocking read
// where the platform can (Windows: CancelSynchronousIo; the read then fails). Elsewhere reads are
// bounded in size and the reader looks for a cancellation between them.
class ReadInterrupter {
public:
    ReadInterrupter();
    ~ReadInterrupter();
    ReadInterrupter(const ReadInterrupter&) = delete;
    ReadInterrupter& operator=(const ReadInterrupter&) = delete;
    void Interrupt() const;

private:
    struct Handle;
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
