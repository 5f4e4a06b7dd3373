// Checksum lines against the reference readers (md5sum -c, sha1sum -c, sha256sum -c, sha512sum -c):
// each list of the table, once with the package's digest and once with one digit changed, in a
// checksum file of its own (named as a .dsc, so that every form is read), for each algorithm. Where
// the tool says OK or FAILED, Pellwick must say the package matches or does not; where the tool
// reads no line for the package, nothing may count. Rows marked quiet are where Pellwick says
// nothing though the tool checks: a name that climbs through a parent folder, a line too long to
// keep. Clearsigned lists against GnuPG's reading of them (`gpg --decrypt | sha256sum -c`), and
// GnuPG's `--print-md` blocks against the algorithm their file's name gives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/text.h"
#include "tests/support/test_support.h"
#include "verify/checksum_files.h"
#include "verify/verdict.h"

namespace {

using namespace std::string_literals;
using digest::Algorithm;
using verify::Verdict;

// What a reference tool's -c said about the lines.
Verdict VerdictOfOutput(std::string_view out) {
    bool ok = false, failed = false;
    for (std::size_t at = 0; at < out.size();) {
        const std::string_view line = out.substr(at, out.find('\n', at) - at);
        ok = ok || line.ends_with(": OK");
        failed = failed || line.ends_with(": FAILED");
        at += line.size() + 1;
    }
    return failed ? Verdict::kMismatch : ok ? Verdict::kMatch : Verdict::kNone;
}

// What the tool said about the lines, run from the checksum file's folder.
Verdict ToolVerdict(const std::string& tool, const std::string& folder, const std::string& file) {
    return VerdictOfOutput(testsupport::Run({tool, "-c", file}, {.workingDir = folder}).output);
}

// What Pellwick says of the package, from that one file.
Verdict PellwickVerdict(const std::string& list, const std::string& package, const digest::FileDigests& computed) {
    std::vector<verify::Source> sources;
    if (auto source = verify::ReadChecksumFile(list, package, "foo.tar.gz", nullptr)) sources.push_back(*source);
    return verify::Judge(computed, sources).verdict;
}

std::string Filled(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(ReferenceToolAgreementTest, EveryLineCountsForThePackageExactlyWhenTheToolChecksIt) {
    const testsupport::TempDir dir;
    const std::string package = dir / "foo.tar.gz", list = dir / "list.dsc";
    testsupport::WriteFile(package, "hello");
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    const std::string comments = "# " + std::string(1 << 20, '-') + "\n", blanks(100000, ' ');
    const std::string cut(70000, 'x');  // a name longer than a line may be kept
    // {h} the digest in lowercase, {H} in uppercase, {w} always the other one, {o} ones, {tag} the
    // BSD tag, {dir} the folder.
    const struct {
        std::string lines;
        bool quiet = false;
    } rows[] = {
        {"{h}  foo.tar.gz\n"},
        {"{h} *foo.tar.gz\n"},
        {"{h} foo.tar.gz\n"},
        {"{h}\tfoo.tar.gz\n"},
        {"{h}\t*foo.tar.gz\n"},
        {"{h}\t\tfoo.tar.gz\n"},
        {" \t{H}  foo.tar.gz\r\n"},
        {"{h}  foo.tar.gz"},
        {"{h}   foo.tar.gz\n"},
        {"{h}  foo.tar.gz \n"},
        {"{h} \tfoo.tar.gz\n"},
        {"{h}*foo.tar.gz\n"},
        {"{h}0  foo.tar.gz\n"},
        {"{h}  ./foo.tar.gz\n"},
        {"{h}  .//./foo.tar.gz\n"},
        {"{h}  sub/../foo.tar.gz\n", true},
        {"{h}  {dir}/foo.tar.gz\n"},
        {"{h}  sub/foo.tar.gz\n"},
        {"{h}  sub\n"},
        {"{h}  foo.tar.gz.sig\n"},
        {"\\{h}  foo.tar.gz\n"},
        {"\\{h}  fo\\\\o.tar.gz\n"},
        {"\\{h}  foo.tar.gz\\n\n"},
        {"\\{h}  foo.tar.gz\\t\n"},
        {"\\{h}  foo.tar.gz\\\n"},
        {"{h}  foo.tar.gz\0junk\n"s},
        {"\\{h}  foo.tar.gz\0junk\n"s},
        {"{h}  foo.tar.gz\r\r\n"},
        {"#{h}  foo.tar.gz\n"},
        {"\x00\xff\xfe{h}  foo.tar.gz\n"s},
        {"{tag} (foo.tar.gz) = {h}\n"},
        {"{tag}(foo.tar.gz)= {H}\n"},
        {"{tag} (foo.tar.gz)\t=\t{h}\r\n"},
        {"  {tag} (./foo.tar.gz)  =  {h}\n"},
        {"\\{tag} (foo.tar.gz) = {h}\n"},
        {"{tag}  (foo.tar.gz) = {h}\n"},
        {"{tag} (foo.tar.gz) = {h} \n"},
        {"{tag} (foo.tar.gz)) = {h}\n"},
        {"{tag} (foo.tar.gz) = {h}0\n"},
        {"{tag} (foo.tar.gz) = {h}\0junk\n"s},
        {"{w}  foo.tar.gz\n{tag} (foo.tar.gz\0) = {h}\n"s},
        {"{h}  foo.tar.gz\n{H} *./foo.tar.gz\n"},
        {"{h}  foo.tar.gz\n{w}  foo.tar.gz\n"},
        {"# list\n\n{w}  other.tar.gz\n{h}  foo.tar.gz\n"},
        // The first "HEX NAME" line fixes the list's form for the rest of it.
        {"{w} bar.tar.gz\n{h}  foo.tar.gz\n"},
        {"{h} bar.tar.gz\n{w} foo.tar.gz\n"},
        {"{h}  foo.tar.gz\n{w} foo.tar.gz\n"},
        {"{tag} (bar.tar.gz) = {w}\n{h} foo.tar.gz\n{w}  foo.tar.gz\n"},
        {"{w} " + cut + "\n{h}  foo.tar.gz\n"},
        // Lines that another form reads count for the tools' form as the tools count them.
        {"{h}  foo.tar.gz\nfiles:\n {w}  foo.tar.gz\n"},
        {"Files:\n {o} 5 x\n{h}  foo.tar.gz\n{w} foo.tar.gz\n"},
        {"x: 1234\n {o} deadbeef\n{h}  foo.tar.gz\n{w} foo.tar.gz\n"},
        // Nothing hides far down a list, nor behind blanks.
        {"{h}  foo.tar.gz\n" + comments + "{w}  foo.tar.gz\n"},
        {blanks + "{h}  foo.tar.gz\n"},
        {"{h}  foo.tar.gz\n{w}  foo.tar.gz\0"s + cut + "\n", true},
    };
    const struct {
        const char* tool;
        const char* tag;
        Algorithm algorithm;
    } tools[] = {{"md5sum", "MD5", Algorithm::kMd5},
                 {"sha1sum", "SHA1", Algorithm::kSha1},
                 {"sha256sum", "SHA256", Algorithm::kSha256},
                 {"sha512sum", "SHA512", Algorithm::kSha512}};
    for (const auto& tool : tools) {
        const std::string digest = testsupport::SumOf(tool.tool, package);
        std::string other = digest;
        other.back() = other.back() == '0' ? '1' : '0';
        digest::FileDigests computed{testsupport::Md5sumOf(package), {}, {}, 5};
        if (tool.algorithm != Algorithm::kMd5) computed.others = {{tool.algorithm, digest}};
        for (const auto& row : rows) {
            for (const std::string& hex : {digest, other}) {
                std::string text = Filled(row.lines, "{tag}", tool.tag);
                text = Filled(Filled(Filled(text, "{h}", hex), "{H}", runtime::AsciiUpper(hex)), "{w}", other);
                text = Filled(text, "{o}", std::string(digest.size(), '1'));
                text = Filled(text, "{dir}", dir.Path());
                SCOPED_TRACE(std::string(tool.tool) + ": " + text.substr(0, 120));
                testsupport::WriteFile(list, text);
                const Verdict expected = ToolVerdict(tool.tool, dir.Path(), "list.dsc");
                EXPECT_EQ(PellwickVerdict(list, package, computed), row.quiet ? Verdict::kNone : expected);
                if (row.quiet) {
                    EXPECT_NE(expected, Verdict::kNone) << "a quiet row the tool reads";
                }
            }
        }
    }
    // md5sum refuses a byte-order mark; it is ignored here.
    const std::string digest = testsupport::Md5sumOf(package);
    testsupport::WriteFile(list, "\xEF\xBB\xBF" + digest + "  foo.tar.gz\n");
    EXPECT_EQ(ToolVerdict("md5sum", dir.Path(), "list.dsc"), Verdict::kNone);
    EXPECT_EQ(PellwickVerdict(list, package, {digest, {}, {}, 5}), Verdict::kMatch);
}

// What sha256sum -c makes of the signed text as GnuPG gives it back.
Verdict DecryptedVerdict(const testsupport::ThrowawaySigner& gnupg, const std::string& folder,
                         const std::string& file) {
    return VerdictOfOutput(
        testsupport::Run({"sh", "-c", "gpg --batch --homedir \"$0\" --decrypt \"$1\" 2>/dev/null | sha256sum -c - 2>&1",
                          gnupg.Home(), file},
                         {.workingDir = folder})
            .output);
}

// Text around a clearsigned list, before it, after it, and trailing blanks on its lines: only its
// signed text counts, as GnuPG gives it back.
TEST(ReferenceToolAgreementTest, AClearsignedListCountsForItsSignedTextAsGnupgReadsIt) {
    const testsupport::TempDir dir;
    const testsupport::ThrowawaySigner gnupg;
    const std::string package = dir / "foo.tar.gz", list = dir / "CHECKSUM";
    testsupport::WriteFile(package, "hello");
    const std::string digest = testsupport::SumOf("sha256sum", package);
    std::string other = digest;
    other.back() = other.back() == '0' ? '1' : '0';
    const digest::FileDigests computed{testsupport::Md5sumOf(package), {{Algorithm::kSha256, digest}}, {}, 5};
    // {h} the digest (or the other one), {w} always the other one.
    const struct {
        std::string before, body, after;
        std::string option = "--clearsign";
    } rows[] = {
        {"\n", "{h}  foo.tar.gz \n", "{w}  foo.tar.gz\n"},
        {"{w}  foo.tar.gz\nnotes\n", "{h}  foo.tar.gz\t\n", ""},
        {"", "# foo 1.0\n{h}  foo.tar.gz\n", "\n\n"},
        {"", "{h}  foo.tar.gz  \n", "", "--not-dash-escaped"},
        {"", "-- {w}\n{h}  foo.tar.gz\n", "-----BEGIN PGP SIGNED MESSAGE-----\n\n{w}  foo.tar.gz\n"},
    };
    for (const auto& row : rows) {
        for (const std::string& hex : {digest, other}) {
            const auto fill = [&](const std::string& text) { return Filled(Filled(text, "{h}", hex), "{w}", other); };
            SCOPED_TRACE(fill(row.before + "|" + row.body + "|" + row.after));
            testsupport::WriteFile(dir / "body", fill(row.body));
            ::unlink((dir / "signed").c_str());
            ASSERT_TRUE(gnupg.Gpg({row.option, "--clearsign", "--output", "signed", "body"}, dir.Path()));
            testsupport::WriteFile(list, fill(row.before) + testsupport::ReadFile(dir / "signed") + fill(row.after));
            const auto source = verify::ReadChecksumFile(list, package, "foo.tar.gz", nullptr);
            EXPECT_EQ(verify::Judge(computed, source ? std::vector{*source} : std::vector<verify::Source>{}).verdict,
                      DecryptedVerdict(gnupg, dir.Path(), "CHECKSUM"));
            const bool outside = !runtime::Trimmed(row.before + row.after).empty();
            const auto notes = source ? source->notes : std::vector<std::string>{};
            EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                    [](const std::string& note) { return note.find("outside") != std::string::npos; }),
                      outside ? 1 : 0);
        }
    }
}

// GnuPG's blocks say nothing of their algorithm: a block counts for the one its file's name gives,
// else for the one of its length, so that a RIPEMD-160 block is taken for no SHA-1 but where the
// name says SHA-1.
TEST(ReferenceToolAgreementTest, AGnupgBlockCountsForTheAlgorithmItsFileNameGives) {
    const testsupport::TempDir dir;
    const std::string package = dir / "foo.tar.gz", gnupg = dir / "gnupg";
    testsupport::WriteFile(package, "hello");
    ASSERT_EQ(::mkdir(gnupg.c_str(), 0700), 0);  // gpg makes a home and keyring where it runs, not in ours
    digest::FileDigests computed{testsupport::Md5sumOf(package), {}, {}, 5};
    for (const auto& [tool, algorithm] : {std::pair{"sha1sum", Algorithm::kSha1},
                                          {"sha256sum", Algorithm::kSha256},
                                          {"sha512sum", Algorithm::kSha512}}) {
        computed.others.emplace_back(algorithm, testsupport::SumOf(tool, package));
    }
    const struct {
        const char* made;  // by gpg --print-md
        const char* file;
        Verdict verdict;
    } rows[] = {
        {"SHA512", "foo.tar.gz.sha512", Verdict::kMatch},
        {"SHA1", "CHECKSUMS", Verdict::kMatch},
        {"RIPEMD160", "foo.tar.gz.sha256", Verdict::kNone},
        {"RIPEMD160", "SHA512SUMS", Verdict::kNone},
        {"SHA256", "SHA1SUMS", Verdict::kNone},
        {"RIPEMD160", "foo.tar.gz.sha1", Verdict::kMismatch},
        {"MD5", "foo.tar.gz.md5", Verdict::kMatch},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.made) + " in " + row.file);
        const auto made = testsupport::Run({"gpg", "--homedir", gnupg, "--print-md", row.made, "foo.tar.gz"},
                                           {.workingDir = dir.Path(), .captureStderr = false});
        ASSERT_EQ(made.exitCode, 0);
        const std::string file = dir / row.file;
        testsupport::WriteFile(file, made.output);
        const auto source = verify::ReadChecksumFile(file, package, "foo.tar.gz", nullptr);
        EXPECT_EQ(verify::Judge(computed, source ? std::vector{*source} : std::vector<verify::Source>{}).verdict,
                  row.verdict);
        ::unlink(file.c_str());
    }
}

}  // namespace
