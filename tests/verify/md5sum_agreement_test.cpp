// Checksum lines against the reference readers (md5sum -c, sha1sum -c, sha256sum -c, sha512sum -c):
// each list of the table, once with the package's digest and once with one digit changed, in a
// checksum file of its own, for each algorithm. Where the tool says OK or FAILED, Pellwick must say
// the package matches or does not; where the tool reads no line for the package, nothing may
// count. Rows marked quiet are where Pellwick says nothing though the tool checks: a name that
// climbs through a parent folder, a line too long to keep.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "runtime/text.h"
#include "tests/support/test_support.h"
#include "verify/checksum_files.h"
#include "verify/verdict.h"

namespace {

using namespace std::string_literals;
using digest::Algorithm;
using verify::Verdict;

// What the tool said about the lines, run from the checksum file's folder.
Verdict ToolVerdict(const std::string& tool, const std::string& folder, const std::string& file) {
    const auto result = testsupport::Run({tool, "-c", file}, {.workingDir = folder});
    std::string_view out = result.output;
    bool ok = false, failed = false;
    for (std::size_t at = 0; at < out.size();) {
        const std::string_view line = out.substr(at, out.find('\n', at) - at);
        ok = ok || line.ends_with(": OK");
        failed = failed || line.ends_with(": FAILED");
        at += line.size() + 1;
    }
    return failed ? Verdict::kMismatch : ok ? Verdict::kMatch : Verdict::kNone;
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
    const std::string package = dir / "foo.tar.gz", list = dir / "list";
    testsupport::WriteFile(package, "hello");
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    const std::string comments = "# " + std::string(1 << 20, '-') + "\n", blanks(100000, ' ');
    const std::string cut(70000, 'x');  // a name longer than a line may be kept
    // {h} the digest in lowercase, {H} in uppercase, {w} always the other one, {tag} the BSD tag,
    // {dir} the folder.
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
                text = Filled(text, "{dir}", dir.Path());
                SCOPED_TRACE(std::string(tool.tool) + ": " + text.substr(0, 120));
                testsupport::WriteFile(list, text);
                const Verdict expected = ToolVerdict(tool.tool, dir.Path(), "list");
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
    EXPECT_EQ(ToolVerdict("md5sum", dir.Path(), "list"), Verdict::kNone);
    EXPECT_EQ(PellwickVerdict(list, package, {digest, {}, {}, 5}), Verdict::kMatch);
}

}  // namespace
