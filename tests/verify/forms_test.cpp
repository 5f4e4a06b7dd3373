// Each checksum form as the tool that writes it wrote it (tests/verify/make_forms.sh, listed in
// $PELLWICK_FORMS): read from its file, it names its algorithm, its digest matches the package
// read once by the digest object, and with a byte of the package changed it does not. On Linux
// and, in process, under Wine, where the SHA digests come from the system's CNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "digest/clsMD5.h"
#include "verify/checksum_files.h"
#include "verify/verdict.h"

namespace {

namespace fs = std::filesystem;

// One line of the list: folder, package, checksum file, algorithm, verdict; the folder as this
// platform reads it (Wine sees the build tree as Z:).
std::vector<std::vector<std::string>> Forms() {
    const char* list = std::getenv("PELLWICK_FORMS");
    std::ifstream in(list != nullptr ? list : "");
    std::vector<std::vector<std::string>> forms;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (fields.size() != 5) continue;
#ifdef _WIN32
        std::replace(fields[0].begin(), fields[0].end(), '/', '\\');
        fields[0] = "Z:" + fields[0];
#endif
        forms.push_back(fields);
    }
    return forms;
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

verify::Judgement Checked(const fs::path& package, const fs::path& list) {
    std::vector<verify::Source> sources;
    if (auto source = verify::ReadChecksumFile(Utf8(list), Utf8(package), Utf8(package.filename()), nullptr)) {
        sources.push_back(*source);
    }
    const digest::clsMD5 md5;
    return verify::Judge(md5.DigestFile(Utf8(package), verify::DigestsToCompute(sources), nullptr), sources);
}

TEST(FormsTest, EachFormAsItsToolWroteItMatchesItsPackageAndNotAChangedOne) {
    const auto forms = Forms();
    ASSERT_FALSE(forms.empty()) << "ctest makes the forms first";
    const fs::path work = fs::temp_directory_path() / ("pellwick-forms-" + std::to_string(std::rand()));
    for (const auto& form : forms) {
        SCOPED_TRACE(form[0]);
        const fs::path folder = work / fs::path(form[0]).filename();
        fs::create_directories(folder);
        for (const auto& name : {form[1], form[2]}) fs::copy_file(fs::path(form[0]) / name, folder / name);
        const fs::path package = folder / form[1];
        // Signed forms are read with no verifier here: their signatures are the signature tests'.
        const std::string named = form[2] + " (" + form[3];
        verify::Judgement judgement = Checked(package, folder / form[2]);
        EXPECT_EQ(judgement.verdict, form[4] == "matches" ? verify::Verdict::kMatch : verify::Verdict::kMismatch);
        EXPECT_TRUE(judgement.sources.starts_with(named)) << judgement.sources;
        if (form[4] != "matches") continue;
        std::fstream changed(package, std::ios::in | std::ios::out | std::ios::binary);
        changed.seekp(3);
        changed.put('#');
        changed.close();
        judgement = Checked(package, folder / form[2]);
        EXPECT_EQ(judgement.verdict, verify::Verdict::kMismatch);
        EXPECT_TRUE(judgement.sources.starts_with(named)) << judgement.sources;
    }
    fs::remove_all(work);
}

}  // namespace
