#include "digest/clsMD5.h"

#include <algorithm>
#include <memory>

#include "digest/engine_binding.h"
#include "digest/md5_context.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace digest {

namespace {

constexpr std::size_t kBlock = 64;
// Large system reads keep up with the disk; the engine still sees 64-byte pieces.
constexpr std::size_t kReadChunk = std::size_t{1} << 20;

}  // namespace

clsMD5::clsMD5() {
    Class_Initialize();
}

clsMD5::~clsMD5() {
    Class_Terminate();
}

std::string clsMD5::DigestFileToHexStr(const std::string& FileName) const {
    return DigestFileToHexStr(FileName, nullptr);
}

std::string clsMD5::DigestFileToHexStr(const std::string& FileName, const ReadProgress& progress) const {
    MD5Context context{};
    unsigned char digest[16] = {};
    runtime::InputFile file(FileName);  // opened before any engine call
    const std::uint64_t size = progress ? file.Size() : 0;
    std::uint64_t done = 0;

    const engine::Functions& md5 = engine::Bind(mEnginePath);
    md5.Init(&context);

    // Kept in a local: the hot loop calls it for every 64 bytes, across calls the compiler cannot see into.
    const auto update = md5.Update;
    const auto buffer = std::make_unique<unsigned char[]>(kReadChunk);
    std::size_t pending = 0;  // bytes at the front of the buffer that make no whole block yet
    for (;;) {
        // Before each read: a read from slow media is where a cancellation waits longest.
        if (progress && !progress(done, size)) throw Cancelled{};
        const std::size_t got = file.Read(buffer.get() + pending, kReadChunk - pending);
        if (got == 0) break;
        done += got;
        const std::size_t available = pending + got;
        const std::size_t whole = available - available % kBlock;
        for (std::size_t at = 0; at < whole; at += kBlock) update(&context, buffer.get() + at, kBlock);
        pending = available - whole;
        if (pending != 0) std::copy(buffer.get() + whole, buffer.get() + available, buffer.get());
    }
    update(&context, buffer.get(), pending);  // made also when nothing remains
    md5.Final(digest, &context);
    return BytesToHexStr(digest);
}

std::string clsMD5::DigestStrToHexStr(const std::string& SourceString) const {
    MD5Context context{};
    unsigned char digest[16] = {};
    const engine::Functions& md5 = engine::Bind(mEnginePath);
    md5.Init(&context);
    const auto bytes = StringToBytes(SourceString);
    md5.Update(&context, bytes.data(), bytes.size() - 1);  // not the closing 0
    md5.Final(digest, &context);
    return BytesToHexStr(digest);
}

std::vector<unsigned char> clsMD5::StringToBytes(const std::string& text) {
    const std::u16string units = runtime::Utf8ToUtf16(text);
    std::vector<unsigned char> bytes(units.size() + 1, 0);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned code = runtime::AnsiCodeOf(units[i]);
        if (code > 255)
            throw runtime::Error(runtime::kOverflow, "Overflow: a character of the text has no single-byte code");
        bytes[i] = static_cast<unsigned char>(code);
    }
    return bytes;
}

std::string clsMD5::BytesToHexStr(std::span<const unsigned char> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

}  // namespace digest
