// The package signature check against keys made for the test: only an intact package signed by
// a certificate of the trusted CA verifies; every other case gives its own sentence.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "PackageTestSupport.h"
#include "TempEnv.h"
#include "platform/FsPath.h"
#include "sys/PackageSignature.h"
#include "sys/SignatureBlock.h"

namespace {

namespace fs = std::filesystem;
using cvdtest::PublisherKeys;

class PackageSignatureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        env = new cvdtest::TempEnv();
        keys = cvdtest::MakePublisherKeys(env->Root() / "keys");
        strangerKeys = cvdtest::MakePublisherKeys(env->Root() / "stranger");
        ASSERT_TRUE(cvdtest::MakeReencodedTwin(keys.WithdrawnCert(), WithdrawnTwin()));
        ASSERT_TRUE(cvdtest::MakeReencodedTwin(keys.Cert(), PublisherTwin()));
        ASSERT_TRUE(cvdtest::IssueCertificate(keys, keys.WithdrawnCert(), strangerKeys.Cert(),
                                              WithdrawnKeyReissued()));
        ASSERT_TRUE(cvdtest::IssueCertificate(keys, keys.Cert(), keys.WithdrawnCert(),
                                              WithdrawnSerialReused()));
        trust = FuntionImpl::TrustStoreFromFolder(
            platform::WidePath(cvdtest::MakeTrustFolder(keys, env->Root() / "trust")));
    }
    static void TearDownTestSuite() { delete env; }

    fs::path Package(const std::string& name) const {
        const fs::path path = env->Root() / name;
        std::ofstream out(path, std::ios::binary);
        std::mt19937 random(7);
        for (int i = 0; i < 70000; ++i) out.put(static_cast<char>(random()));
        return path;
    }
    static void FlipByte(const fs::path& path, std::int64_t fromEnd) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(fromEnd, std::ios::end);
        const char byte = static_cast<char>(file.get() ^ 0x20);
        file.seekp(fromEnd, std::ios::end);
        file.put(byte);
    }
    static fs::path WithdrawnTwin() { return env->Root() / "withdrawn-twin.pem"; }
    static fs::path PublisherTwin() { return env->Root() / "publisher-twin.pem"; }
    // The withdrawn key in a certificate with a new serial number.
    static fs::path WithdrawnKeyReissued() { return env->Root() / "withdrawn-key.pem"; }
    // The publisher's key under the withdrawn certificate's serial number.
    static fs::path WithdrawnSerialReused() { return env->Root() / "withdrawn-serial.pem"; }
    // The signature block rewritten with `filler` after the CMS, the trailer counting it.
    static void AppendFillerToSignature(const fs::path& path, const std::string& filler) {
        std::ifstream in(path, std::ios::binary);
        const auto block = FuntionImpl::FindSignatureBlock(in, fs::file_size(path));
        ASSERT_TRUE(block);
        std::string signedAndCms(block->signedLength + block->signatureLength, '\0');
        in.seekg(0);
        in.read(signedAndCms.data(), static_cast<std::streamsize>(signedAndCms.size()));
        in.close();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << signedAndCms << filler
            << FuntionImpl::SignatureTrailer(block->signatureLength + filler.size());
    }
    FuntionImpl::SignatureCheck Check(const fs::path& path) const {
        return FuntionImpl::VerifyEmbeddedSignatureResult(platform::WidePath(path), trust);
    }

    static inline cvdtest::TempEnv* env = nullptr;
    static inline PublisherKeys keys;
    static inline PublisherKeys strangerKeys;
    static inline FuntionImpl::TrustStore trust;
};

struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;  // turns an unsigned package into the case
    std::int32_t status;
};

TEST_F(PackageSignatureTest, OnlyAnIntactPackageOfTheTrustedPublisherVerifies) {
    auto signedBy = [](const fs::path& key, const fs::path& cert) {
        return
            [key, cert](const fs::path& file) { ASSERT_TRUE(cvdtest::SignFile(key, cert, file)); };
    };
    auto trusted = signedBy(keys.Key(), keys.Cert());
    auto trustedThen = [trusted](std::function<void(const fs::path&)> damage) {
        return [trusted, damage](const fs::path& file) {
            trusted(file);
            damage(file);
        };
    };
    const std::vector<Case> cases = {
        {"unsigned", [](const fs::path&) {}, FuntionImpl::kTrustNoSignature},
        {"payload byte changed", trustedThen([](const fs::path& f) { FlipByte(f, -60000); }),
         FuntionImpl::kTrustSubjectNotTrusted},
        {"signature byte changed", trustedThen([](const fs::path& f) { FlipByte(f, -17); }),
         FuntionImpl::kTrustSubjectNotTrusted},
        {"trailer magic changed", trustedThen([](const fs::path& f) { FlipByte(f, -1); }),
         FuntionImpl::kTrustNoSignature},
        {"trailer length changed", trustedThen([](const fs::path& f) { FlipByte(f, -16); }),
         FuntionImpl::kTrustNoSignature},
        {"filler after the signature's CMS",
         trustedThen([](const fs::path& f) { AppendFillerToSignature(f, std::string(64, 'x')); }),
         FuntionImpl::kTrustNoSignature},
        {"truncated trailer",
         trustedThen([](const fs::path& f) { fs::resize_file(f, fs::file_size(f) - 5); }),
         FuntionImpl::kTrustNoSignature},
        {"untrusted CA", signedBy(strangerKeys.Key(), strangerKeys.Cert()),
         FuntionImpl::kTrustSubjectNotTrusted},
        {"deny-listed certificate", signedBy(keys.WithdrawnKey(), keys.WithdrawnCert()),
         FuntionImpl::kTrustExplicitDistrust},
        {"trusted CA", trusted, FuntionImpl::kSignatureVerified},
    };
    for (const Case& c : cases) {
        const fs::path file = Package(std::string("case-") + std::to_string(&c - cases.data()));
        c.make(file);
        const auto check = Check(file);
        EXPECT_EQ(check.status, c.status) << c.name << ": " << check.text;
        EXPECT_EQ(check.Verified(), c.status == FuntionImpl::kSignatureVerified) << c.name;
    }
}

// A deny entry matches by public key or by issuer and serial number, never by encoding; each
// "carried" or "reached" row passes only one of the two places the list is checked: the
// certificates the signature carries, and the chain the signer's certificate builds to the root.
TEST_F(PackageSignatureTest, ADeniedCertificateIsRefusedHoweverItIsEncodedOrWhereverItSits) {
    struct Row {
        const char* name;
        fs::path key, cert;
        std::vector<fs::path> carried;  // extra certificates the signature carries
        std::vector<fs::path> denied;
        std::int32_t status;
    };
    const std::vector<Row> rows = {
        {"a re-encoded twin of the withdrawn certificate signs",
         keys.WithdrawnKey(),
         WithdrawnTwin(),
         {},
         {keys.WithdrawnCert()},
         FuntionImpl::kTrustExplicitDistrust},
        {"the withdrawn certificate's twin is listed, the original signs",
         keys.WithdrawnKey(),
         keys.WithdrawnCert(),
         {},
         {WithdrawnTwin()},
         FuntionImpl::kTrustExplicitDistrust},
        {"a new certificate for the withdrawn key signs",
         keys.WithdrawnKey(),
         WithdrawnKeyReissued(),
         {},
         {keys.WithdrawnCert()},
         FuntionImpl::kTrustExplicitDistrust},
        {"another key under the withdrawn certificate's serial signs",
         keys.Key(),
         WithdrawnSerialReused(),
         {},
         {keys.WithdrawnCert()},
         FuntionImpl::kTrustExplicitDistrust},
        {"the denied CA is not carried, only reached",
         keys.Key(),
         keys.Cert(),
         {},
         {keys.Ca()},
         FuntionImpl::kTrustExplicitDistrust},
        {"a denied certificate is carried outside the chain",
         keys.Key(),
         keys.Cert(),
         {keys.WithdrawnCert()},
         {keys.WithdrawnCert()},
         FuntionImpl::kTrustExplicitDistrust},
        {"a twin of a denied certificate is carried outside the chain",
         keys.Key(),
         keys.Cert(),
         {WithdrawnTwin()},
         {keys.WithdrawnCert()},
         FuntionImpl::kTrustExplicitDistrust},
        // The twins are real: one of a certificate nobody denies verifies.
        {"a twin of the publisher's certificate signs",
         keys.Key(),
         PublisherTwin(),
         {},
         {keys.WithdrawnCert()},
         FuntionImpl::kSignatureVerified},
    };
    for (const Row& row : rows) {
        const fs::path file = Package(std::string("deny-") + std::to_string(&row - rows.data()));
        ASSERT_TRUE(cvdtest::SignFile(row.key, row.cert, file, row.carried)) << row.name;
        FuntionImpl::TrustStore store{{cvdtest::ReadFile(keys.Ca())}, {}};
        for (const fs::path& denied : row.denied)
            store.deniedPem.push_back(cvdtest::ReadFile(denied));
        const auto check =
            FuntionImpl::VerifyEmbeddedSignatureResult(platform::WidePath(file), store);
        EXPECT_EQ(check.status, row.status) << row.name << ": " << check.text;
    }
}

TEST_F(PackageSignatureTest, EachOutcomeHasItsSentence) {
    const fs::path plain = Package("plain.exe");
    EXPECT_EQ(Check(plain).text, "The file \"" + plain.string() + "\" is not signed.");

    const fs::path good = Package("good.exe");
    ASSERT_TRUE(cvdtest::SignFile(keys.Key(), keys.Cert(), good));
    EXPECT_EQ(Check(good).text,
              "The file \"" + good.string() + "\" is signed and the signature was verified.");

    FlipByte(good, -60000);
    EXPECT_EQ(Check(good).text, "The signature is present, but not trusted.");

    const fs::path withdrawn = Package("withdrawn.exe");
    ASSERT_TRUE(cvdtest::SignFile(keys.WithdrawnKey(), keys.WithdrawnCert(), withdrawn));
    EXPECT_EQ(Check(withdrawn).text, "The signature is present, but specifically disallowed.");

    const fs::path missing = env->Root() / "missing.exe";
    EXPECT_EQ(Check(missing).text,
              "An unknown error occurred trying to verify the signature of "
              "the \"" +
                  missing.string() + "\" file.");
}

TEST_F(PackageSignatureTest, TrustComesFromTheFolderOnly) {
    const fs::path good = Package("stranger-trust.exe");
    ASSERT_TRUE(cvdtest::SignFile(keys.Key(), keys.Cert(), good));
    EXPECT_EQ(FuntionImpl::VerifyEmbeddedSignatureResult(platform::WidePath(good), {}).status,
              FuntionImpl::kTrustSubjectNotTrusted);
    // A test program carries no skin, so the installer's own check trusts nothing.
    EXPECT_FALSE(FuntionImpl::VerifyEmbeddedSignature(platform::WidePath(good)));
}

TEST_F(PackageSignatureTest, ASignedFileIsNotSignedTwice) {
    const fs::path good = Package("twice.exe");
    ASSERT_TRUE(cvdtest::SignFile(keys.Key(), keys.Cert(), good));
    EXPECT_FALSE(cvdtest::SignFile(keys.Key(), keys.Cert(), good));
    EXPECT_TRUE(Check(good).Verified());
}

}  // namespace
