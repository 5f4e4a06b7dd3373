#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "digest/clsMD5.h"
#include "runtime/system_posix.h"
#include "tests/support/test_support.h"

namespace {

// A sparse file just over 4 GiB with marks at the offsets where 32-bit lengths and
// positions would wrap, so a wrong position or length changes the digest.
TEST(LargeFileTest, SparseFileOver4GiBMatchesMd5sum) {
    const testsupport::TempDir dir;
    const std::string file = dir / "huge.tar.gz";
    {
        runtime::UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        ASSERT_TRUE(fd.Valid());
        const std::uint64_t size = (std::uint64_t{1} << 32) + 100;
        for (const std::uint64_t at : {std::uint64_t{0}, (std::uint64_t{1} << 31) - 3, std::uint64_t{1} << 31,
                                       (std::uint64_t{1} << 32) - 5, size - 7}) {
            ASSERT_EQ(::pwrite(fd.Get(), "MARK", 4, static_cast<off_t>(at)), 4);
        }
        ASSERT_EQ(::ftruncate(fd.Get(), static_cast<off_t>(size)), 0);
    }
    const digest::clsMD5 md5;
    EXPECT_EQ(md5.DigestFileToHexStr(file), testsupport::Md5sumOf(file));
}

}  // namespace
