// The engine's working record, as the engine library lays it out.
#pragma once

#include <cstddef>
#include <cstdint>

namespace digest {

struct MD5Context {
    std::uint32_t state[4];
    std::uint32_t count[2];  // bits taken in so far, low word first
    unsigned char buffer[64];
};
static_assert(sizeof(MD5Context) == 88, "the engine exchanges an 88-byte record");
static_assert(offsetof(MD5Context, count) == 16 && offsetof(MD5Context, buffer) == 24);

}  // namespace digest
