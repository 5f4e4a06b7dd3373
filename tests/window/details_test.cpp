// The verdict's details behind the fake view: when they are offered, and what their box says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::FakeView;

TEST(DetailsTest, OfferedWhileATooltipShowsSayingTheSentenceThenTheTooltip) {
    const testsupport::TempDir dir;
    testsupport::WriteFile(dir / "foo.tar.gz", "hello");
    testsupport::WriteFile(dir / "foo.tar.gz.md5", "5d41402abc4b2a76b9719d911017c592\n");
    testsupport::WriteFile(dir / "bar.tar.gz", "bar");
    FakeView view;
    const struct {
        std::string fileName, typed;  // typed: what the person then types into the digest box
        std::string sentence;         // "" when nothing is offered
    } steps[] = {
        {dir / "foo.tar.gz", "", "The package matches foo.tar.gz.md5."},
        {dir / "foo.tar.gz", "5D41", ""},  // typing ends the verdict
        {dir / "foo.tar.gz", "", "The package matches foo.tar.gz.md5."},
        {dir / "bar.tar.gz", "", ""},  // nothing to compare with
        {dir / "foo.tar.gz", "", "The package matches foo.tar.gz.md5."},
        {"", "", ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.fileName + " " + step.typed);
        view.SetFileNameText(step.fileName);
        if (!step.typed.empty()) view.form.OnDigestTextChanged(step.typed);
        view.information.clear();
        view.form.OnDetailsAsked();
        EXPECT_EQ(view.form.DetailsOffered(), !step.sentence.empty());
        const std::vector<std::string> expected = {"Verdict details: " + step.sentence + "\n\n" + view.detail};
        EXPECT_EQ(view.information, step.sentence.empty() ? std::vector<std::string>{} : expected);
        if (!step.sentence.empty()) {
            EXPECT_NE(view.detail.find("foo.tar.gz.md5, line 1: 5D41402ABC4B2A76B9719D911017C592"), std::string::npos)
                << view.detail;
        }
    }
}

}  // namespace
