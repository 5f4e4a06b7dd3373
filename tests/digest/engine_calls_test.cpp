// Runs from a directory of its own and carries the recording engine, so the engine that
// gets provisioned and loaded is the one that records the calls.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "digest/clsMD5.h"
#include "tests/support/test_support.h"

namespace {

struct Calls {
    std::vector<std::size_t> updates;
    int inits = 0;
    int finals = 0;
};

Calls TakeRecordedCalls(const std::string& enginePath) {
    void* lib = ::dlopen(enginePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (lib == nullptr) throw std::runtime_error("the recording engine is not loaded");
    using Fn = std::size_t (*)(std::size_t*, std::size_t, int*, int*);
    const auto recorded = reinterpret_cast<Fn>(::dlsym(lib, "RecordedCalls"));
    Calls calls;
    calls.updates.resize(20000);
    const std::size_t n = recorded(calls.updates.data(), calls.updates.size(), &calls.inits, &calls.finals);
    calls.updates.resize(n);
    ::dlclose(lib);  // drops only the reference this function took
    return calls;
}

TEST(EngineCallPatternTest, SixtyFourByteBlocksThenTheRemainderEvenWhenEmpty) {
    const digest::clsMD5 md5;
    const testsupport::TempDir dir;
    const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases = {
        {0, {0}}, {64, {64, 0}}, {100, {64, 36}}, {128, {64, 64, 0}}, {1, {1}}, {127, {64, 63}}};
    for (const auto& [length, expected] : cases) {
        const std::string file = dir / "p.tar.gz";
        testsupport::WriteFile(file, std::string(length, 'x'));
        md5.DigestFileToHexStr(file);
        const Calls calls = TakeRecordedCalls(md5.EnginePath());
        EXPECT_EQ(calls.updates, expected) << length << " bytes";
        EXPECT_EQ(calls.inits, 1);
        EXPECT_EQ(calls.finals, 1);
    }
}

TEST(EngineCallPatternTest, LargeReadsStillReachTheEngineIn64ByteCalls) {
    const digest::clsMD5 md5;
    const testsupport::TempDir dir;
    const std::size_t length = (std::size_t{1} << 20) + 70;  // crosses the read chunk
    testsupport::WriteFile(dir / "big.tar.gz", std::string(length, 'y'));
    md5.DigestFileToHexStr(dir / "big.tar.gz");
    const Calls calls = TakeRecordedCalls(md5.EnginePath());
    ASSERT_EQ(calls.updates.size(), length / 64 + 1);
    for (std::size_t i = 0; i + 1 < calls.updates.size(); ++i) ASSERT_EQ(calls.updates[i], 64u) << "call " << i;
    EXPECT_EQ(calls.updates.back(), length % 64);
}

TEST(EngineCallPatternTest, TextIsOneCallWithoutTheClosingZero) {
    const digest::clsMD5 md5;
    md5.DigestStrToHexStr("hello");
    EXPECT_EQ(TakeRecordedCalls(md5.EnginePath()).updates, std::vector<std::size_t>{5});
}

}  // namespace
