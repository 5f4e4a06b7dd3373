// The SHA digests, from the platform's accelerated crypto (CNG on Windows, OpenSSL's libcrypto
// elsewhere): one digest in the making, fed from one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "digest/algorithm.h"

namespace digest {

class PlatformHash {
public:
    virtual ~PlatformHash() = default;
    // Throws runtime::Error when the platform's crypto fails.
    static std::unique_ptr<PlatformHash> Create(Algorithm algorithm);
    virtual void Update(const unsigned char* bytes, std::size_t size) = 0;
    // The digest as lowercase hex digits; the object is spent.
    virtual std::string FinishHex() = 0;
};

}  // namespace digest
