// Windows implementation: CNG (BCrypt) digests; base64 through CryptBinaryToStringA and
// CryptStringToBinaryA.
#include "platform/Crypto.h"

#include <windows.h>
// The headers below build on the types windows.h declares.
#include <bcrypt.h>
#include <wincrypt.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

// CNG and CryptoAPI count in ULONG/DWORD: longer input goes in pieces or is refused.
constexpr std::size_t kMaxPiece = 0x40000000;

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

struct Digest::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool failed = false;

    ~State() {
        if (hash) BCryptDestroyHash(hash);
        if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()) {
    const wchar_t* name = kind == DigestKind::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM;
    // The hash object's memory is left to CNG (a null buffer, allowed since Windows 7).
    state_->failed =
        !Succeeded(BCryptOpenAlgorithmProvider(&state_->algorithm, name, nullptr, 0)) ||
        !Succeeded(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Digest::~Digest() = default;

void Digest::Update(std::string_view bytes) {
    while (!state_->failed && !bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), kMaxPiece);
        auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
        state_->failed =
            !Succeeded(BCryptHashData(state_->hash, data, static_cast<ULONG>(piece), 0));
        bytes.remove_prefix(piece);
    }
}

std::optional<std::string> Digest::Finish() {
    DWORD length = 0;
    ULONG written = 0;
    if (state_->failed ||
        !Succeeded(BCryptGetProperty(state_->algorithm, BCRYPT_HASH_LENGTH,
                                     reinterpret_cast<PUCHAR>(&length), sizeof length, &written,
                                     0)) ||
        length == 0 || length > 64)
        return std::nullopt;
    std::string digest(length, '\0');
    const bool finished = Succeeded(
        BCryptFinishHash(state_->hash, reinterpret_cast<PUCHAR>(digest.data()), length, 0));
    state_->failed = true;  // spent
    if (!finished) return std::nullopt;
    return digest;
}

std::string EncodeBase64(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kMaxPiece) return std::string();
    const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD size = 0;
    if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &size))
        return std::string();
    std::string text(size, '\0');
    if (!CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, text.data(), &size))
        return std::string();
    text.resize(size);  // the second call counts without the terminating zero
    return text;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (!IsCanonicalBase64(text) || text.size() > kMaxPiece) return std::nullopt;
    if (text.empty()) return std::string();
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                              nullptr, &size, nullptr, nullptr))
        return std::nullopt;
    std::string bytes(size, '\0');
    if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                              reinterpret_cast<BYTE*>(bytes.data()), &size, nullptr, nullptr))
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

}  // namespace platform
