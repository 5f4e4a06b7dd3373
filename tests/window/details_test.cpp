// The verdict's details behind the fake view: offered while a verdict shows, the sentence first.
#include <gtest/gtest.h>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

TEST(DetailsTest, OfferedWhileAVerdictShows) {
    const testsupport::TempDir dir;
    testsupport::WriteFile(dir / "foo.tar.gz", "hello");
    testsupport::WriteFile(dir / "foo.tar.gz.md5", "5d41402abc4b2a76b9719d911017c592\n");
    testsupport::FakeView view;
    view.SetFileNameText(dir / "foo.tar.gz");
    view.form.OnDetailsAsked();
    const std::string shown = "Verdict details: The package matches foo.tar.gz.md5.\n\n" + view.detail;
    view.form.OnDigestTextChanged("5D41");  // typing ends the verdict
    view.form.OnDetailsAsked();
    EXPECT_EQ(view.information, std::vector<std::string>{shown});
}
