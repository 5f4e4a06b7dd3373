#include <openssl/evp.h>

#include "digest/platform_hash.h"
#include "runtime/error.h"
#include "runtime/text.h"
#include "runtime/unique_resource.h"

namespace digest {

namespace {

using UniqueContext = runtime::UniqueResource<EVP_MD_CTX*, &::EVP_MD_CTX_free>;

[[noreturn]] void Fail(Algorithm algorithm, const char* step) {
    throw runtime::Error(runtime::kPathFileAccessError,
                         std::string("The system's crypto library could not compute the ") +
                             std::string(NameOf(algorithm)) + " digest: " + step + " failed");
}

class OpenSslHash final : public PlatformHash {
public:
    explicit OpenSslHash(Algorithm algorithm) : algorithm_(algorithm), context_(::EVP_MD_CTX_new()) {
        const EVP_MD* kinds[] = {::EVP_md5(), ::EVP_sha1(), ::EVP_sha256(), ::EVP_sha384(), ::EVP_sha512()};
        if (!context_ || ::EVP_DigestInit_ex(context_.Get(), kinds[static_cast<int>(algorithm)], nullptr) != 1) {
            Fail(algorithm, "EVP_DigestInit_ex");
        }
    }
    void Update(const unsigned char* bytes, std::size_t size) override {
        if (::EVP_DigestUpdate(context_.Get(), bytes, size) != 1) Fail(algorithm_, "EVP_DigestUpdate");
    }
    std::string FinishHex() override {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned size = 0;
        if (::EVP_DigestFinal_ex(context_.Get(), digest, &size) != 1) Fail(algorithm_, "EVP_DigestFinal_ex");
        return runtime::HexEncode({digest, size});
    }

private:
    Algorithm algorithm_;
    UniqueContext context_;
};

}  // namespace

std::unique_ptr<PlatformHash> PlatformHash::Create(Algorithm algorithm) {
    return std::make_unique<OpenSslHash>(algorithm);
}

}  // namespace digest
