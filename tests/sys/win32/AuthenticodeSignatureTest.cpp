// The Authenticode check against the build's demo keys: WinVerifyTrust decides on the signature's
// form and the file's digest, the skin's trust/ and trust/deny/ decide on the publisher. Under
// Wine WinVerifyTrust trusts any root, so the rows signed by the other publisher and with the
// withdrawn certificate show that the pinning refuses them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "TempEnv.h"
#include "platform/FsPath.h"
#include "sys/PackageSignature.h"

namespace {

namespace fs = std::filesystem;

// WinVerifyTrust's status for a signature that does not verify with its signer's key.
constexpr std::int32_t kTrustCertSignature = static_cast<std::int32_t>(0x80096004);

fs::path Fixture(const char* name) { return fs::path(CVD_SIGNATURE_FIXTURES) / name; }

std::string Pem(const char* path) { return cvdtest::ReadFile(fs::path(path)); }

FuntionImpl::TrustStore SkinTrust() { return {{Pem(CVD_DEMO_CA)}, {Pem(CVD_WITHDRAWN_CERT)}}; }

// XORs the byte at `offset` (from the end when negative).
void FlipByte(const fs::path& path, std::int64_t offset) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(offset, offset < 0 ? std::ios::end : std::ios::beg);
    const std::streamoff at = file.tellg();
    const char byte = static_cast<char>(file.get() ^ 0x20);
    file.seekp(at);
    file.put(byte);
}

class AuthenticodeSignatureTest : public ::testing::Test {
protected:
    // A private copy of a fixture, for rows that change it.
    fs::path Copy(const char* name) {
        const fs::path copy = env_.Root() / name;
        fs::copy_file(Fixture(name), copy, fs::copy_options::overwrite_existing);
        return copy;
    }
    static FuntionImpl::SignatureCheck Check(const fs::path& file,
                                             const FuntionImpl::TrustStore& trust) {
        return FuntionImpl::VerifyEmbeddedSignatureResult(platform::WidePath(file), trust);
    }

    cvdtest::TempEnv env_;
};

TEST_F(AuthenticodeSignatureTest, OnlyAnIntactProgramOfATrustedPublisherVerifies) {
    struct Row {
        const char* name;
        std::function<fs::path()> file;
        FuntionImpl::TrustStore trust;
        std::int32_t status;
    };
    auto fixture = [](const char* name) { return [name] { return Fixture(name); }; };
    const std::vector<Row> rows = {
        {"signed by the demo publisher", fixture("publisher.exe"), SkinTrust(),
         FuntionImpl::kSignatureVerified},
        {"signed by a publisher outside trust/", fixture("stranger.exe"), SkinTrust(),
         FuntionImpl::kTrustSubjectNotTrusted},
        {"signed with the withdrawn certificate", fixture("withdrawn.exe"), SkinTrust(),
         FuntionImpl::kTrustExplicitDistrust},
        {"the denied CA is reached through the chain only",
         fixture("publisher.exe"),
         {{Pem(CVD_DEMO_CA)}, {Pem(CVD_DEMO_CA)}},
         FuntionImpl::kTrustExplicitDistrust},
        {"nothing is trusted", fixture("publisher.exe"), {}, FuntionImpl::kTrustSubjectNotTrusted},
        {"the other publisher's CA is trusted instead",
         fixture("publisher.exe"),
         {{Pem(CVD_STRANGER_CA)}, {}},
         FuntionImpl::kTrustSubjectNotTrusted},
        {"a byte of the program changed",
         [this] {
             const fs::path file = Copy("publisher.exe");
             FlipByte(file, 0x600);
             return file;
         },
         SkinTrust(), FuntionImpl::kTrustBadDigest},
        {"a byte of the signature value changed",
         [this] {
             const fs::path file = Copy("publisher.exe");
             FlipByte(file, -20);
             return file;
         },
         SkinTrust(), kTrustCertSignature},
        {"unsigned", fixture("unsigned.exe"), SkinTrust(), FuntionImpl::kTrustNoSignature},
    };
    for (const Row& row : rows) {
        const auto check = Check(row.file(), row.trust);
        EXPECT_EQ(check.status, row.status) << row.name << ": " << check.text;
        EXPECT_EQ(check.Verified(), row.status == FuntionImpl::kSignatureVerified) << row.name;
    }
}

TEST_F(AuthenticodeSignatureTest, EachOutcomeHasItsSentence) {
    const fs::path good = Fixture("publisher.exe");
    const std::string goodText = cvdtest::PathText(good);
    EXPECT_EQ(Check(good, SkinTrust()).text,
              "The file \"" + goodText + "\" is signed and the signature was verified.");
    const fs::path plain = Fixture("unsigned.exe");
    EXPECT_EQ(Check(plain, SkinTrust()).text,
              "The file \"" + cvdtest::PathText(plain) + "\" is not signed.");
    EXPECT_EQ(Check(Fixture("stranger.exe"), SkinTrust()).text,
              "The signature is present, but not trusted.");
    EXPECT_EQ(Check(Fixture("withdrawn.exe"), SkinTrust()).text,
              "The signature is present, but specifically disallowed.");
    const fs::path tampered = Copy("publisher.exe");
    FlipByte(tampered, 0x600);
    EXPECT_EQ(Check(tampered, SkinTrust()).text, "Error is: 0x80096010.");
    const fs::path missing = env_.Root() / "missing.exe";
    EXPECT_EQ(Check(missing, SkinTrust()).text,
              "An unknown error occurred trying to verify the signature of the \"" +
                  cvdtest::PathText(missing) + "\" file.");
}

TEST_F(AuthenticodeSignatureTest, TheInstallersOwnCheckTrustsOnlyItsSkin) {
    // A test program carries no skin, so nothing is trusted.
    EXPECT_FALSE(
        FuntionImpl::VerifyEmbeddedSignature(platform::WidePath(Fixture("publisher.exe"))));
}

TEST_F(AuthenticodeSignatureTest, AFileOpenForWritingElsewhereIsNotChecked) {
    // The check holds the file against writers while it reads it twice; a writer that got there
    // first could change the bytes between the reads, so the check refuses instead.
    const fs::path file = Copy("publisher.exe");
    std::ofstream writer(file, std::ios::binary | std::ios::app);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(Check(file, SkinTrust()).Verified());
}

}  // namespace
