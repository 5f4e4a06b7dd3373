// Arbitrary texts in the file-name box, against a throwaway tree of packages, directories
// named like packages, dot-files and unreadable files. After every change the digest box
// must hold "", the right digest of the named file, or what it held before, exactly as the
// handler's rules say, and nothing in the tree may change.
#include <fcntl.h>
#include <md5.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "runtime/text.h"
#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string gTree;

struct Entry {
    std::uintmax_t size;
    std::int64_t mtime;
    unsigned mode;
    bool operator==(const Entry&) const = default;
};
std::map<std::string, Entry> gSnapshot;

void Write(const std::string& name, const std::string& content, mode_t mode = 0644) {
    const std::string path = gTree + "/" + name;
    testsupport::WriteFile(path, content);
    ::chmod(path.c_str(), mode);
}

std::map<std::string, Entry> Snapshot() {
    std::map<std::string, Entry> entries;
    for (const auto& e : fs::recursive_directory_iterator(gTree)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        entries[e.path().string()] = {static_cast<std::uintmax_t>(st.st_size),
                                      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                                      st.st_mode};
    }
    return entries;
}

// What the handler's lookup should find, worked out independently of it.
bool NamesOrdinaryFile(const std::string& text, std::string& bareName) {
    if (text.empty() || text.find_first_of(std::string("*?\0", 3)) != std::string::npos) return false;
    struct stat st {};
    if (::stat(text.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    bareName = fs::path(text).filename().string();
    return !bareName.empty() && bareName[0] != '.';
}

bool EndsInPackageSuffix(const std::string& name) {
    if (name.size() < 7) return false;
    std::string tail = name.substr(name.size() - 7);
    for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return tail == ".TAR.GZ";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Removed at exit, with the unreadable file in it.
    static const testsupport::TempDir tree("pellwick-fuzz");
    gTree = tree.Path();
    Write("a.tar.gz", "package a");
    Write("B.TAR.GZ", std::string(1000, 'b'));
    Write("Mixed.Tar.Gz", "");
    Write("c.tgz", "c");
    Write("d.tar", "d");
    Write("e.tar.gz.bak", "e");
    Write(".hidden.tar.gz", "hidden");
    Write(".tar.gz", "dot");
    Write("locked.tar.gz", "locked", 0);
    Write("CON", "con");
    Write("NUL.tar.gz", "nul");
    fs::create_directories(gTree + "/dir.tar.gz/inner.tar.gz");
    Write("dir.tar.gz/inner.tar.gz/deep.tar.gz", "deep");
    fs::create_directories(gTree + "/sub");
    Write("sub/x.TAR.gz", "x");
    gSnapshot = Snapshot();
    if (::chdir(gTree.c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    testsupport::FakeView view;
    view.digest = "PREVIOUS";
    view.fileName = text;
    view.form.OnFileNameChanged();

    if (view.busyDepth != 0) std::abort();  // the wait cursor always goes away
    std::string bare;
    if (!NamesOrdinaryFile(text, bare)) {
        if (!view.digest.empty() || !view.errors.empty()) std::abort();
    } else if (!EndsInPackageSuffix(bare)) {
        if (view.digest != "PREVIOUS" || !view.errors.empty()) std::abort();
    } else {
        char expected[MD5_DIGEST_STRING_LENGTH];
        if (MD5File(text.c_str(), expected) == nullptr) {
            // Unreadable: the handler must say so and show no digest.
            if (!view.digest.empty() || view.errors.size() != 1) std::abort();
        } else if (view.digest != runtime::ToUpper(std::string(expected)) || !view.errors.empty()) {
            std::abort();
        }
    }
    if (Snapshot() != gSnapshot) std::abort();
    return 0;
}
