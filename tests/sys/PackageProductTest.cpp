// The product check of a downloaded setup: its signed manifest must name the installer's product
// at the minimum version or later; every other setup is refused with its reason.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include "PackageTestSupport.h"
#include "TempEnv.h"
#include "platform/FsPath.h"
#include "sys/DottedVersion.h"
#include "sys/PackageProduct.h"
#include "sys/ProductManifest.h"
#include "sys/SetupFormat.h"

namespace {

namespace fs = std::filesystem;
using FuntionImpl::DottedVersion;

TEST(DottedVersionTest, OneToFourNumbersUpTo65535AndNothingElse) {
    const struct {
        const char* text;
        std::optional<DottedVersion> version;
    } rows[] = {
        {"1.0.0.0", DottedVersion{1, 0, 0, 0}},
        {"1.2", DottedVersion{1, 2, 0, 0}},
        {"7", DottedVersion{7, 0, 0, 0}},
        {"65535.0.10.00009", DottedVersion{65535, 0, 10, 9}},
        {"", std::nullopt},
        {"1..2", std::nullopt},
        {"1.2.", std::nullopt},
        {".1", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"65536", std::nullopt},
        {"000001", std::nullopt},
        {"1.0-beta", std::nullopt},
        {" 1.0", std::nullopt},
        {"+1", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FuntionImpl::ParseDottedVersion(row.text), row.version) << '"' << row.text << '"';
    EXPECT_LT(*FuntionImpl::ParseDottedVersion("1.9"), *FuntionImpl::ParseDottedVersion("1.10"));
}

TEST(ProductManifestTest, OnlyAManifestNamingOneProductAndOneVersionIsRead) {
    const struct {
        const char* name;
        std::string text;
        const char* why;  // empty: read as "Zorvik Tool" 1.2.0
    } rows[] = {
        {"plain", "product=Zorvik Tool\nversion=1.2.0\n", ""},
        {"CRLF, blank lines, other keys",
         "\r\nvendor=Zorvik\r\nversion=1.2.0\r\nproduct=Zorvik Tool", ""},
        {"'=' inside the product", "product=Zorvik Tool\nversion=1.2.0\nnote=a=b\n", ""},
        {"no product", "version=1.2.0\n", "names no product"},
        {"empty product", "product=\nversion=1.2.0\n", "names no product"},
        {"no version", "product=Zorvik Tool\n", "names no valid version"},
        {"version with letters", "product=Zorvik Tool\nversion=1.2-rc1\n",
         "names no valid version"},
        {"product twice", "product=Zorvik Tool\nproduct=Zorvik Video Converter\nversion=1.2.0\n",
         "names its product twice"},
        {"version twice", "product=Zorvik Tool\nversion=1.2.0\nversion=9.0\n",
         "names its version twice"},
        {"line without '='", "product=Zorvik Tool\nversion=1.2.0\nZorvik\n", "no key=value"},
        {"control character", "product=Zorvik\x1b[2JTool\nversion=1.2.0\n", "no key=value"},
        {"too large", "product=Zorvik Tool\nversion=1.2.0\n" + std::string(4096, '\n'),
         "larger than 4096 bytes"},
    };
    for (const auto& row : rows) {
        std::string why;
        const auto manifest = FuntionImpl::ParseProductManifest(row.text, why);
        if (*row.why == '\0') {
            ASSERT_TRUE(manifest) << row.name << ": " << why;
            EXPECT_EQ(manifest->product, "Zorvik Tool") << row.name;
            EXPECT_EQ(manifest->version, "1.2.0") << row.name;
        } else {
            EXPECT_FALSE(manifest) << row.name;
            EXPECT_NE(why.find(row.why), std::string::npos) << row.name << ": " << why;
        }
    }
}

TEST(ProductManifestTest, OnlyAOneLineProductAndAVersionAreWritten) {
    EXPECT_EQ(FuntionImpl::ProductManifestText({"Zorvik Tool", "1.2.0"}),
              "product=Zorvik Tool\nversion=1.2.0\n");
    EXPECT_EQ(FuntionImpl::ProductManifestText({"", "1.2.0"}), "");
    EXPECT_EQ(FuntionImpl::ProductManifestText({"Zorvik\nversion=9", "1.2.0"}), "");
    EXPECT_EQ(FuntionImpl::ProductManifestText({"Zorvik Tool", "latest"}), "");
}

class PackageProductTest : public ::testing::Test {
protected:
    fs::path Setup(const std::string& product, const std::string& version) {
        env.WriteFile("payload/Product.exe", "product");
        const fs::path out = env.Root() / ("setup-" + std::to_string(++count) + ".exe");
        EXPECT_TRUE(cvdtest::BuildSetup(env.Root() / "payload", out, product, version));
        return out;
    }
    // A setup around a payload of the given entries, as setup-builder would never make it.
    fs::path HandmadeSetup(const std::vector<std::pair<std::string, std::string>>& entries) {
        const fs::path zipFile = env.Root() / "handmade.zip";
        int error = 0;
        zip_t* archive = zip_open(zipFile.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (const auto& [name, data] : entries)
            zip_file_add(archive, name.c_str(),
                         zip_source_buffer(archive, data.data(), data.size(), 0), 0);
        EXPECT_EQ(zip_close(archive), 0);
        const fs::path out = env.Root() / ("handmade-" + std::to_string(++count) + ".exe");
        std::ofstream file(out, std::ios::binary);
        file << std::ifstream(cvdtest::SetupProgram(), std::ios::binary).rdbuf()
             << std::ifstream(zipFile, std::ios::binary).rdbuf()
             << FuntionImpl::SetupTrailer(fs::file_size(zipFile));
        return out;
    }

    cvdtest::TempEnv env;
    int count = 0;
};

TEST_F(PackageProductTest, OnlyTheInstallersProductAtTheMinimumOrLaterIsAccepted) {
    const fs::path notASetup = env.WriteFile("random.exe", std::string(70000, 'r'));
    const struct {
        const char* name;
        fs::path package;
        FuntionImpl::ProductRequirement required;
        const char* verdict;
        bool accepted;
    } rows[] = {
        {"the product at the minimum",
         Setup("Zorvik Video Converter", "1.0.0.0"),
         {"Zorvik Video Converter", "1.0"},
         "the package is \"Zorvik Video Converter\" 1.0.0.0",
         true},
        {"a newer build",
         Setup("Zorvik Video Converter", "1.0.10"),
         {"Zorvik Video Converter", "1.0.9.65535"},
         "\"Zorvik Video Converter\" 1.0.10",
         true},
        {"no minimum",
         Setup("Zorvik Video Converter", "0.1"),
         {"Zorvik Video Converter", ""},
         "\"Zorvik Video Converter\" 0.1",
         true},
        {"an older build",
         Setup("Zorvik Video Converter", "0.9.9.9"),
         {"Zorvik Video Converter", "1.0.0.0"},
         "the package is \"Zorvik Video Converter\" 0.9.9.9, older than the minimum 1.0.0.0",
         false},
        {"another product",
         Setup("Zorvik Toolkit", "2.0.0.0"),
         {"Zorvik Video Converter", ""},
         "the package is \"Zorvik Toolkit\" 2.0.0.0, not \"Zorvik Video Converter\"",
         false},
        {"another product's name in other letter case",
         Setup("zorvik video converter", "1.0"),
         {"Zorvik Video Converter", ""},
         "not \"Zorvik Video Converter\"",
         false},
        {"an installer that names no product",
         Setup("Zorvik Video Converter", "1.0"),
         {"", ""},
         "this installer names no product",
         false},
        {"an installer whose minimum is no version",
         Setup("Zorvik Video Converter", "1.0"),
         {"Zorvik Video Converter", "1.0 final"},
         "minimum version \"1.0 final\" is no version",
         false},
        {"no setup at all",
         notASetup,
         {"Zorvik Video Converter", ""},
         "no setup with a payload",
         false},
        {"a missing file",
         env.Root() / "missing.exe",
         {"Zorvik Video Converter", ""},
         "cannot be opened",
         false},
        {"a payload without a manifest",
         HandmadeSetup({{"Product.exe", "product"}}),
         {"Zorvik Video Converter", ""},
         "carries no product manifest",
         false},
        {"an oversized manifest",
         HandmadeSetup({{".cvd-product", "product=Zorvik Video Converter\nversion=1.0\n" +
                                             std::string(5000, '\n')}}),
         {"Zorvik Video Converter", ""},
         "larger than 4096 bytes",
         false},
    };
    for (const auto& row : rows) {
        const auto check =
            FuntionImpl::VerifyPackageProduct(platform::WidePath(row.package), row.required);
        EXPECT_EQ(check.accepted, row.accepted) << row.name << ": " << check.verdict;
        EXPECT_NE(check.verdict.find(row.verdict), std::string::npos)
            << row.name << ": " << check.verdict;
    }
}

TEST_F(PackageProductTest, TheManifestIsReadFromUnderTheSignature) {
    const fs::path package = Setup("Zorvik Video Converter", "1.0.0.0");
    const auto keys = cvdtest::MakePublisherKeys(env.Root() / "keys");
    ASSERT_TRUE(cvdtest::SignFile(keys.Key(), keys.Cert(), package));
    const auto check = FuntionImpl::VerifyPackageProduct(platform::WidePath(package),
                                                         {"Zorvik Video Converter", "1.0.0.0"});
    EXPECT_TRUE(check.accepted) << check.verdict;
}

}  // namespace
