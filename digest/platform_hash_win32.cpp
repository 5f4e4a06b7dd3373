// CNG's hashes. bcrypt.dll is loaded from the system folder on first use, never imported: it is
// not one of the system's KnownDLLs, so an imported copy planted beside the program in a
// Downloads folder would be loaded before the program runs.
#include "runtime/system_win32.h"

// After <windows.h>, which system_win32.h brings in.
// clang-format off
#include <bcrypt.h>
// clang-format on

#include <mutex>

#include "digest/platform_hash.h"
#include "runtime/error.h"
#include "runtime/text.h"

namespace digest {

namespace {

struct Cng {
    decltype(&::BCryptOpenAlgorithmProvider) open;
    decltype(&::BCryptCreateHash) create;
    decltype(&::BCryptHashData) hash;
    decltype(&::BCryptFinishHash) finish;
    decltype(&::BCryptDestroyHash) destroy;
};

[[noreturn]] void Fail(Algorithm algorithm, const std::string& why) {
    throw runtime::Error(runtime::kPathFileAccessError, "The system's crypto provider (CNG) could not compute the " +
                                                            std::string(NameOf(algorithm)) + " digest: " + why);
}

[[noreturn]] void Fail(Algorithm algorithm, const char* step, NTSTATUS status) {
    Fail(algorithm, std::string(step) + " failed with status " + std::to_string(static_cast<unsigned long>(status)));
}

const Cng* BoundCng() {
    static const Cng cng{
        runtime::win32::SystemFunction<decltype(Cng::open)>(L"bcrypt.dll", "BCryptOpenAlgorithmProvider"),
        runtime::win32::SystemFunction<decltype(Cng::create)>(L"bcrypt.dll", "BCryptCreateHash"),
        runtime::win32::SystemFunction<decltype(Cng::hash)>(L"bcrypt.dll", "BCryptHashData"),
        runtime::win32::SystemFunction<decltype(Cng::finish)>(L"bcrypt.dll", "BCryptFinishHash"),
        runtime::win32::SystemFunction<decltype(Cng::destroy)>(L"bcrypt.dll", "BCryptDestroyHash"),
    };
    return cng.open && cng.create && cng.hash && cng.finish && cng.destroy ? &cng : nullptr;
}

// One provider per algorithm for the process: opening one costs far more than a hash does, and
// a provider serves hashes on any thread.
BCRYPT_ALG_HANDLE Provider(const Cng& cng, Algorithm algorithm) {
    static std::mutex lock;
    static BCRYPT_ALG_HANDLE providers[kAlgorithms.size()] = {};
    const std::lock_guard<std::mutex> guard(lock);
    BCRYPT_ALG_HANDLE& provider = providers[static_cast<std::size_t>(algorithm)];
    if (provider == nullptr) {
        const wchar_t* ids[] = {BCRYPT_MD5_ALGORITHM, BCRYPT_SHA1_ALGORITHM, BCRYPT_SHA256_ALGORITHM,
                                BCRYPT_SHA384_ALGORITHM, BCRYPT_SHA512_ALGORITHM};
        const NTSTATUS status = cng.open(&provider, ids[static_cast<std::size_t>(algorithm)], nullptr, 0);
        if (!BCRYPT_SUCCESS(status)) {
            provider = nullptr;
            Fail(algorithm, "BCryptOpenAlgorithmProvider", status);
        }
    }
    return provider;
}

class CngHash final : public PlatformHash {
public:
    explicit CngHash(Algorithm algorithm) : algorithm_(algorithm), cng_(BoundCng()) {
        if (cng_ == nullptr) Fail(algorithm, "the system has no bcrypt.dll with its hash functions");
        const NTSTATUS status = cng_->create(Provider(*cng_, algorithm), &hash_, nullptr, 0, nullptr, 0, 0);
        if (!BCRYPT_SUCCESS(status)) Fail(algorithm, "BCryptCreateHash", status);
    }
    ~CngHash() override { cng_->destroy(hash_); }
    CngHash(const CngHash&) = delete;
    CngHash& operator=(const CngHash&) = delete;

    void Update(const unsigned char* bytes, std::size_t size) override {
        while (size > 0) {
            const ULONG part = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
            const NTSTATUS status = cng_->hash(hash_, const_cast<PUCHAR>(bytes), part, 0);
            if (!BCRYPT_SUCCESS(status)) Fail(algorithm_, "BCryptHashData", status);
            bytes += part;
            size -= part;
        }
    }
    std::string FinishHex() override {
        unsigned char digest[64] = {};
        const ULONG size = static_cast<ULONG>(HexDigitsOf(algorithm_) / 2);
        const NTSTATUS status = cng_->finish(hash_, digest, size, 0);
        if (!BCRYPT_SUCCESS(status)) Fail(algorithm_, "BCryptFinishHash", status);
        return runtime::HexEncode({digest, size});
    }

private:
    Algorithm algorithm_;
    const Cng* cng_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

std::unique_ptr<PlatformHash> PlatformHash::Create(Algorithm algorithm) {
    return std::make_unique<CngHash>(algorithm);
}

}  // namespace digest
