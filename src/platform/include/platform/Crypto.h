// Digests and base64, from the system's own cryptography: OpenSSL's EVP on Linux, CNG (BCrypt)
// and CryptoAPI's string conversions on Windows. The program checks packages and signs server
// requests with MD5; SHA-256 is here for what comes after it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class DigestKind { Md5, Sha256 };

// A digest over bytes handed in pieces, such as a file read block by block. One thread at a
// time; Finish ends it.
class Digest {
public:
    explicit Digest(DigestKind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void Update(std::string_view bytes);
    // The raw digest (16 bytes for MD5, 32 for SHA-256); nothing when the system's provider
    // failed at any step.
    std::optional<std::string> Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Lower-case hexadecimal of `bytes`.
std::string LowerHex(std::string_view bytes);

// LowerHex of the digest of `bytes`; empty when the provider failed.
std::string DigestHex(DigestKind kind, std::string_view bytes);

// Standard alphabet, '=' padding, no line breaks.
std::string EncodeBase64(std::string_view bytes);

// True when `text` is base64 exactly as EncodeBase64 writes it: a multiple of four characters
// of the standard alphabet, '=' only as the last one or two.
bool IsCanonicalBase64(std::string_view text);

// The bytes of `text`; nothing unless IsCanonicalBase64(text).
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace platform
