// Arbitrary bytes as a checksum file (fed in pieces of any size) and as the clipboard's text:
// every entry read holds a digest of its algorithm's length, every clipboard digest is uppercase.
// And the reference reading: a digest and a name (from the bytes) written as each tool writes
// them (md5sum and its siblings, OpenSSL, GnuPG's blocks, a Debian source package's fields), as
// a clearsigned list and in UTF-16, read back as exactly that digest and name.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/paths.h"
#include "runtime/text.h"
#include "verify/checksum_text.h"
#include "verify/source_kinds.h"
#include "verify/sum_lines.h"

namespace {

using digest::Algorithm;

void Check(bool holds) {
    if (!holds) std::abort();
}

bool IsDigestOf(Algorithm algorithm, std::string_view hex) {
    return hex.size() == digest::HexDigitsOf(algorithm) && verify::IsHexDigits(hex);
}

// Grouped as `gpg --print-md` groups: pairs for MD5, fours for SHA-1, eights beyond.
std::string Grouped(std::string_view hex, std::string_view name) {
    const std::size_t group = hex.size() == 32 ? 2 : hex.size() == 40 ? 4 : 8;
    std::string out(name);
    out += ":";
    for (std::size_t at = 0; at < hex.size(); at += group) {
        out += at > 0 && at % 48 == 0 ? "\n " : " ";
        out.append(hex.substr(at, group));
    }
    return out;
}

// The digest written in `format` for the name, as its tool writes it.
std::string Written(Algorithm algorithm, std::string_view hex, std::string_view name, int format) {
    const std::string tags[] = {"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};
    const std::string& tag = tags[static_cast<int>(algorithm)];
    const std::string escaped = verify::EscapedName(name);
    const std::string prefix = escaped.size() != name.size() ? "\\" : "";
    switch (format) {
        case 0:
            return prefix + std::string(hex) + "  " + escaped;
        case 1:
            return prefix + std::string(hex) + " *" + escaped;
        case 2:
            return prefix + tag + " (" + escaped + ") = " + std::string(hex);
        case 3:  // OpenSSL 3
            return (tag == "MD5" || tag == "SHA1" ? tag : "SHA2-" + tag.substr(3)) + "(" + std::string(name) +
                   ")= " + std::string(hex);
        case 4:
            return Grouped(hex, name);
        default: {
            const char* fields[] = {"Files:", "Checksums-Sha1:", "Checksums-Sha256:", "", "Checksums-Sha512:"};
            return std::string(fields[static_cast<int>(algorithm)]) + "\n " + std::string(hex) + " 5 " +
                   std::string(name);
        }
    }
}

// Whether `format` can carry the name at all.
bool Carries(Algorithm algorithm, std::string_view name, int format) {
    const bool plain = name.find_first_of("\n\r") == std::string_view::npos && !name.starts_with('#') &&
                       !name.starts_with(' ') && !name.starts_with('\t');
    if (format == 3) return name.find_first_of("\n\r") == std::string_view::npos;
    // A name with a blank may make GnuPG's block read as another tool's line, and one that starts
    // like a byte-order mark would start the file with one.
    if (format == 4) {
        return plain && name.find_first_of(" \t") == std::string_view::npos && !name.starts_with("\xEF\xBB\xBF") &&
               !name.starts_with("\xFF\xFE") && !name.starts_with("\xFE\xFF");
    }
    if (format == 5) {
        return algorithm != Algorithm::kSha384 && name.find_first_of(" \t\n\r") == std::string_view::npos;
    }
    return true;
}

// The entries `text` reads, fed in pieces of `piece` bytes, from a file of every form (a .dsc) or
// from NAME.md5 with `stem` NAME.
std::vector<verify::Expected> Read(std::string_view bytes, std::size_t piece, std::string_view name,
                                   bool* signedList = nullptr, std::string_view stem = "") {
    // The package's bare name, as the window gives it: lines for other names are passed over early.
    verify::ChecksumText text({std::nullopt, std::string(stem), stem.empty()}, std::string(runtime::BareName(name)),
                              [&](const verify::ChecksumEntry& e) {
                                  Check(IsDigestOf(e.algorithm, e.hex));
                                  return e.name == name;
                              });
    for (std::size_t at = 0; at < bytes.size(); at += piece) text.Feed(bytes.substr(at, piece));
    text.End();
    if (signedList != nullptr) *signedList = text.Signed();
    return text.Entries();
}

std::string Utf16Le(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : runtime::Utf8ToUtf16(utf8)) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    for (const auto& e : Read(content, 1 + size % 97, "foo.tar.gz")) Check(IsDigestOf(e.algorithm, e.digest));
    for (const auto& e : Read(content, 1 + size % 89, "foo.tar.gz", nullptr, "foo.tar.gz")) {
        Check(IsDigestOf(e.algorithm, e.digest));
    }
    if (const auto clipboard = verify::SourceFromClipboard(content, "foo.tar.gz")) {
        for (const auto& e : clipboard->expected) {
            Check(IsDigestOf(e.algorithm, e.digest) && e.digest.find_first_of("abcdef") == std::string::npos);
        }
    }

    if (size < 66) return 0;
    const Algorithm algorithm = digest::kAlgorithms[data[0] % digest::kAlgorithms.size()];
    static constexpr char kDigits[] = "0123456789abcdef0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; hex.size() < digest::HexDigitsOf(algorithm); ++i) {
        const int upper = (data[1] & 1) * 16;
        hex += kDigits[upper + (data[2 + i / 2] >> (i % 2 == 0 ? 4 : 0) & 15)];
    }
    std::string name(content.substr(66));
    std::erase(name, '\0');  // no file name holds one
    if (name.empty() || !runtime::Utf16ToUtf8(runtime::Utf8ToUtf16(name)).starts_with(name)) return 0;
    const std::string upper = runtime::AsciiUpper(hex);
    for (int format = 0; format < 6; ++format) {
        if (!Carries(algorithm, name, format)) continue;
        const std::string line = Written(algorithm, hex, name, format);
        const auto expect = [&](const std::vector<verify::Expected>& entries) {
            Check(entries.size() == 1 && entries[0].algorithm == algorithm && entries[0].digest == upper);
        };
        expect(Read(line + "\n", 1 + data[1] % 13, name));
        // Clearsigned, with "- " before a line that starts with a dash; GnuPG drops the blanks at a
        // signed line's end, so a name that ends in them reads back as another.
        if (!line.ends_with(' ') && !line.ends_with('\t')) {
            bool isSigned = false;
            const std::string armoured = "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n" +
                                         std::string(line.starts_with('-') ? "- " : "") + line +
                                         "\n-----BEGIN PGP SIGNATURE-----\n\niQE=\n-----END PGP SIGNATURE-----\n";
            expect(Read(armoured, 1 + data[1] % 7, name, &isSigned));
            Check(isSigned);
        }
        if (runtime::Utf16ToUtf8(runtime::Utf8ToUtf16(name)) == name) expect(Read(Utf16Le(line + "\r\n"), 3, name));
    }
    return 0;
}
