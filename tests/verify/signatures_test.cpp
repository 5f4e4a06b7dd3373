// Signed downloads as gpg made them (tests/verify/make_signatures.sh, listed in
// $PELLWICK_SIGNATURES), checked as the window checks a package, with the person's keyring in their
// own GnuPG home: what the caption says of each agrees with what `gpg --verify` said of it, and the
// keyring is only read. On Linux with Debian's gpgv, and in process under Wine with the gpgv.exe
// that Pellwick.exe carries beside it ($PELLWICK_GPGV), the keyring in the prefix's
// %APPDATA%\gnupg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/paths.h"
#include "tests/verify/fixture_table.h"
#include "window/check_package.h"

namespace {

namespace fs = std::filesystem;

struct NoWindow final : runtime::Job::Control {
    void Report(std::uint64_t, std::uint64_t) override {}
    bool Cancelled() const override { return false; }
};

TEST(SignaturesTest, EachSignatureSaysWhatGpgSaysOfItInTheCaption) {
    // Folder, package, what gpg --verify said.
    const auto rows = fixtures::Table("PELLWICK_SIGNATURES", 3);
    ASSERT_FALSE(rows.empty()) << "ctest makes the signatures first";
    const fs::path fixture = fixtures::Native(rows[0][0]).parent_path();
    std::string fingerprint;
    std::ifstream(fixture / "signer.fpr") >> fingerprint;

    // The person's keyring, in their GnuPG home: a throwaway one here, and under Wine the
    // throwaway prefix's; never a real person's.
    const fs::path work = fs::temp_directory_path() / ("pellwick-signatures-" + std::to_string(std::rand()));
#ifndef _WIN32
    ::setenv("GNUPGHOME", fixtures::Utf8(work / "gnupg").c_str(), 1);
#endif
    const fs::path home = fs::u8path(runtime::GnupgHome());
    if (fs::exists(home / "pubring.kbx")) GTEST_SKIP() << "a keyring is there already: " << fixtures::Utf8(home);
    fs::create_directories(home);
    fs::copy_file(fixture / "person" / "pubring.kbx", home / "pubring.kbx", fs::copy_options::overwrite_existing);
    const auto keyringTime = fs::last_write_time(home / "pubring.kbx");
    verify::Verifier verifier = verify::PersonsVerifier();
    if (const char* gpgv = std::getenv("PELLWICK_GPGV")) verifier.gpgv = fixtures::Utf8(fixtures::Native(gpgv));
    ASSERT_FALSE(verifier.gpgv.empty());
    ASSERT_EQ(verifier.keyrings, std::vector<std::string>{fixtures::Utf8(home / "pubring.kbx")});

    const std::string signer = "signed by Pellwick Signer", sha = " (SHA-256, ";
    const struct {
        std::string folder, caption;
        bool gpgvMissing = false;
    } expected[] = {
        {"detached-asc", "matches SHA256SUMS" + sha + signer + ")"},
        {"detached-sig", "matches SHA256SUMS" + sha + signer + ")"},
        {"detached-gpg", "matches sha256sum.txt" + sha + signer + ")"},
        {"changed-after-signing", "DOES NOT MATCH SHA256SUMS (bad signature)"},
        {"unknown-signer", "matches SHA256SUMS" + sha + "unknown signer)"},
        {"clearsigned", "matches CHECKSUM" + sha + signer + ")"},
        {"clearsigned-text-after", "matches CHECKSUM" + sha + signer + ")"},
        {"package-sig", "matches foo.tar.gz.sig (" + signer + ")"},
        {"package-sig-changed", "DOES NOT MATCH foo.tar.gz.sig (bad signature)"},
        {"package-asc-unknown", ""},  // a package's own signature by an unknown key gives no verdict
        {"dsc", "matches hello_2.10-3.dsc" + sha + "signed by Santiago Vila)"},
        {"detached-asc", "matches SHA256SUMS" + sha + "signature not checked)", true},
    };
    const digest::clsMD5 md5;
    NoWindow control;
    for (const auto& row : expected) {
        SCOPED_TRACE(row.folder);
        const auto listed = std::find_if(
            rows.begin(), rows.end(), [&](const auto& r) { return fixtures::Native(r[0]).filename() == row.folder; });
        ASSERT_NE(listed, rows.end());
        const fs::path folder = work / (row.folder + (row.gpgvMissing ? "-without-gpgv" : ""));
        fs::create_directories(folder);
        fs::copy(fixtures::Native((*listed)[0]), folder);
        verify::SourcesRequest request{fixtures::Utf8(folder / (*listed)[1]), (*listed)[1], "", nullptr, verifier};
        if (row.gpgvMissing) request.verifier.gpgv = fixtures::Utf8(folder / "no-gpgv");
        const verify::Judgement judgement = window::CheckPackage(md5, request, control);
        const std::string caption =
            judgement.verdict == verify::Verdict::kNone
                ? ""
                : (judgement.verdict == verify::Verdict::kMatch ? "matches " : "DOES NOT MATCH ") + judgement.sources;
        EXPECT_EQ(caption, row.caption) << judgement.detail;
        // What gpg --verify said, in the caption's words or, for no verdict, the tooltip's.
        const std::string gpg = (*listed)[2];
        const std::string said = row.gpgvMissing ? "signature not checked"
                                 : gpg == "GOOD" ? "signed by "
                                 : gpg == "BAD"  ? "bad signature"
                                                 : "unknown signer";
        EXPECT_NE((caption.empty() ? judgement.detail : caption).find(caption.empty() ? "none of your keyrings" : said),
                  std::string::npos)
            << gpg << ": " << judgement.detail;
        if (gpg == "GOOD" && !row.gpgvMissing && row.folder != "dsc") {
            std::string grouped;
            for (std::size_t i = 0; i < fingerprint.size(); i += 4)
                grouped.append(i > 0 ? " " : "").append(fingerprint, i, 4);
            for (const std::string& told : {std::string("Pellwick Signer (test key) <signer@pellwick.invalid>"),
                                            grouped, fixtures::Utf8(home / "pubring.kbx"), std::string(" UTC")}) {
                EXPECT_NE(judgement.detail.find(told), std::string::npos) << told << " in " << judgement.detail;
            }
        }
    }
    EXPECT_EQ(fs::last_write_time(home / "pubring.kbx"), keyringTime) << "the keyring is only read";
    EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), 1) << "nothing added beside it";
    fs::remove(home / "pubring.kbx");
    fs::remove_all(work);
}

}  // namespace
