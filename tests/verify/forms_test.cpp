// Each checksum form as the tool that writes it wrote it (tests/verify/make_forms.sh, listed in
// $PELLWICK_FORMS): read from its file, it names its algorithm, its digest matches the package
// read once by the digest object, and with a byte of the package changed it does not. On Linux
// and, in process, under Wine, where the SHA digests come from the system's CNG.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "digest/clsMD5.h"
#include "tests/verify/fixture_table.h"
#include "verify/checksum_files.h"
#include "verify/verdict.h"

namespace {

namespace fs = std::filesystem;

verify::Judgement Checked(const fs::path& package, const fs::path& list) {
    std::vector<verify::Source> sources;
    if (auto source = verify::ReadChecksumFile(fixtures::Utf8(list), fixtures::Utf8(package),
                                               fixtures::Utf8(package.filename()), nullptr)) {
        sources.push_back(*source);
    }
    const digest::clsMD5 md5;
    return verify::Judge(md5.DigestFile(fixtures::Utf8(package), verify::DigestsToCompute(sources), nullptr), sources);
}

TEST(FormsTest, EachFormAsItsToolWroteItMatchesItsPackageAndNotAChangedOne) {
    // Folder, package, checksum file, algorithm, verdict.
    const auto forms = fixtures::Table("PELLWICK_FORMS", 5);
    ASSERT_FALSE(forms.empty()) << "ctest makes the forms first";
    const fs::path work = fs::temp_directory_path() / ("pellwick-forms-" + std::to_string(std::rand()));
    for (const auto& form : forms) {
        SCOPED_TRACE(form[0]);
        const fs::path folder = work / fixtures::Native(form[0]).filename();
        fs::create_directories(folder);
        for (const auto& name : {form[1], form[2]}) fs::copy_file(fixtures::Native(form[0]) / name, folder / name);
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
