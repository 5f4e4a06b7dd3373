// Checksum lines against md5sum -c, the reference reader: each line of the table, once with the
// package's digest and once with one digit changed, in a checksum file of its own. Where md5sum
// says OK or FAILED, Pellwick must say the package matches or does not; where md5sum reads no
// line for the package, nothing may count.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "tests/support/test_support.h"
#include "verify/checksum_files.h"

namespace {

using namespace std::string_literals;
using verify::Verdict;

// What md5sum -c said about the lines, run from the checksum file's folder.
Verdict Md5sumVerdict(const std::string& folder, const std::string& file) {
    const auto result = testsupport::Run({"md5sum", "-c", file}, {.workingDir = folder});
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

std::string Filled(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(Md5sumAgreementTest, EveryLineCountsForThePackageExactlyWhenMd5sumChecksIt) {
    const testsupport::TempDir dir;
    const std::string package = dir / "foo.tar.gz", list = dir / "list";
    testsupport::WriteFile(package, "hello");
    ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
    const std::string digest = testsupport::Md5sumOf(package);
    std::string other = digest;
    other[31] = other[31] == '0' ? '1' : '0';
    // {h} the digest in lowercase, {H} in uppercase, {w} always the other one, {dir} the folder.
    const std::string lines[] = {
        "{h}  foo.tar.gz\n",
        "{h} *foo.tar.gz\n",
        "{h} foo.tar.gz\n",
        "{h}\tfoo.tar.gz\n",
        "{h}\t*foo.tar.gz\n",
        " \t{H}  foo.tar.gz\r\n",
        "{h}  foo.tar.gz",
        "{h}   foo.tar.gz\n",
        "{h}  foo.tar.gz \n",
        "{h} \tfoo.tar.gz\n",
        "{h}*foo.tar.gz\n",
        "{h}0  foo.tar.gz\n",
        "{h}  ./foo.tar.gz\n",
        "{h}  sub/../foo.tar.gz\n",
        "{h}  {dir}/foo.tar.gz\n",
        "{h}  sub/foo.tar.gz\n",
        "{h}  sub\n",
        "{h}  foo.tar.gz.sig\n",
        "\\{h}  foo.tar.gz\n",
        "\\{h}  fo\\\\o.tar.gz\n",
        "\\{h}  foo.tar.gz\\n\n",
        "\\{h}  foo.tar.gz\\t\n",
        "{h}  foo.tar.gz\0junk\n"s,
        "{h}  foo.tar.gz\r\r\n",
        "#{h}  foo.tar.gz\n",
        "\x00\xff\xfe{h}  foo.tar.gz\n"s,
        "MD5 (foo.tar.gz) = {h}\n",
        "MD5(foo.tar.gz)= {H}\n",
        "MD5 (foo.tar.gz)\t=\t{h}\r\n",
        "  MD5 (./foo.tar.gz)  =  {h}\n",
        "\\MD5 (foo.tar.gz) = {h}\n",
        "MD5  (foo.tar.gz) = {h}\n",
        "md5 (foo.tar.gz) = {h}\n",
        "MD5 (foo.tar.gz) = {h} \n",
        "MD5 (foo.tar.gz)) = {h}\n",
        "MD5 (foo.tar.gz) = {h}0\n",
        "{h}  foo.tar.gz\n{H} *./foo.tar.gz\n",
        "{h}  foo.tar.gz\n{w}  foo.tar.gz\n",
        "# list\n\n{w}  other.tar.gz\n{h}  foo.tar.gz\n",
    };
    for (const std::string& line : lines) {
        for (const std::string& hex : {digest, other}) {
            const std::string text =
                Filled(Filled(Filled(Filled(line, "{h}", hex), "{H}", testsupport::AsciiUpper(hex)), "{w}", other),
                       "{dir}", dir.Path());
            SCOPED_TRACE(text);
            testsupport::WriteFile(list, text);
            const Verdict expected = Md5sumVerdict(dir.Path(), "list");
            const auto judged =
                verify::Judge(testsupport::AsciiUpper(digest), verify::ExpectedFromFiles(package, "foo.tar.gz", list));
            EXPECT_EQ(judged.verdict, expected);
        }
    }
    // md5sum refuses a byte-order mark; it is ignored here.
    testsupport::WriteFile(list, "\xEF\xBB\xBF" + digest + "  foo.tar.gz\n");
    EXPECT_EQ(Md5sumVerdict(dir.Path(), "list"), Verdict::kNone);
    EXPECT_EQ(
        verify::Judge(testsupport::AsciiUpper(digest), verify::ExpectedFromFiles(package, "foo.tar.gz", list)).verdict,
        Verdict::kMatch);
}

}  // namespace
