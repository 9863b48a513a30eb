// POSIX implementation: OpenSSL's EVP digests and its base64 block encoder.
#include "platform/Crypto.h"

#include <openssl/evp.h>

#include <climits>
#include <vector>

namespace platform {
namespace {

// EVP's block coders count in int.
constexpr std::size_t kMaxBlockInput = INT_MAX / 4 * 3;

}  // namespace

struct Digest::State {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context{EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free};
    bool failed = false;
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()) {
    const EVP_MD* type = kind == DigestKind::Md5 ? EVP_md5() : EVP_sha256();
    state_->failed =
        !state_->context || EVP_DigestInit_ex(state_->context.get(), type, nullptr) != 1;
}

Digest::~Digest() = default;

void Digest::Update(std::string_view bytes) {
    if (state_->failed || bytes.empty()) return;
    state_->failed = EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()) != 1;
}

std::optional<std::string> Digest::Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (state_->failed || EVP_DigestFinal_ex(state_->context.get(), digest, &length) != 1)
        return std::nullopt;
    state_->failed = true;  // spent
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string EncodeBase64(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kMaxBlockInput) return std::string();
    std::vector<unsigned char> text((bytes.size() + 2) / 3 * 4 + 1);
    const int length =
        EVP_EncodeBlock(text.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<const char*>(text.data()),
                       static_cast<std::size_t>(length));
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (!IsCanonicalBase64(text) || text.size() > kMaxBlockInput) return std::nullopt;
    if (text.empty()) return std::string();
    std::vector<unsigned char> bytes(text.size() / 4 * 3 + 1);
    const int length =
        EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (length < 0) return std::nullopt;
    // EVP_DecodeBlock counts the padding as zero bytes.
    const std::size_t padding = text.size() - text.find_last_not_of('=') - 1;
    return std::string(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::size_t>(length) - padding);
}

}  // namespace platform
