// The developer tools on the signed Windows installer, under Wine: sign-package runs the
// installer's own Authenticode check (by default against the skin in the installer's resource
// table), and cvd-res replaces that skin in a built installer, which voids its signature.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Command.h"
#include "TempEnv.h"

namespace {

namespace fs = std::filesystem;

cvdtest::CommandResult RunTool(const char* program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program);
    return cvdtest::RunCommand(arguments);
}

std::string Fixture(const char* name) {
    return cvdtest::PathText(fs::path(CVD_SIGNATURE_FIXTURES) / name);
}

class SignedInstallerToolsTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return cvdtest::PathText(env_.Root() / name);
    }

    cvdtest::TempEnv env_;
};

TEST_F(SignedInstallerToolsTest, SignPackageVerifiesWithTheInstallersOwnCheck) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    fs::create_directories(env_.Root() / "stranger-trust");
    fs::copy_file(CVD_STRANGER_CA, env_.Root() / "stranger-trust" / "ca.pem");
    const std::vector<Row> rows = {
        {"the installer by its own skin",
         {"verify", CVD_INSTALLER},
         0,
         "is signed and the signature was verified."},
        {"the demo publisher by the installer's skin",
         {"verify", Fixture("publisher.exe")},
         0,
         "is signed and the signature was verified."},
        {"another publisher by the installer's skin",
         {"verify", Fixture("stranger.exe")},
         1,
         "The signature is present, but not trusted."},
        {"another publisher by its own CA",
         {"verify", Fixture("stranger.exe"), "--trust", Path("stranger-trust")},
         0,
         "is signed and the signature was verified."},
        {"the demo publisher by the other CA",
         {"verify", Fixture("publisher.exe"), "--trust", Path("stranger-trust")},
         1,
         "The signature is present, but not trusted."},
        {"an unsigned program", {"verify", Fixture("unsigned.exe")}, 1, "is not signed."},
    };
    for (const Row& row : rows) {
        const auto run = RunTool(CVD_SIGN_PACKAGE, row.arguments);
        EXPECT_EQ(run.status, row.status) << row.name << ": " << run.output;
        EXPECT_NE(run.output.find(row.says), std::string::npos) << row.name << ": " << run.output;
    }
}

TEST_F(SignedInstallerToolsTest, ANewSkinGoesIntoTheResourceTableAndAsksForANewSignature) {
    const std::string installer = Path("cvdownloader.exe");
    fs::copy_file(CVD_INSTALLER, installer);
    env_.WriteFile("skin/InstallMainWnd.xml", "<Window size=\"650,560\"/>");
    env_.WriteFile("skin/language/language_english.xml", "<VerticalLayout/>");

    const auto embed = RunTool(CVD_RES, {"embed", installer, Path("skin")});
    EXPECT_EQ(embed.status, 0) << embed.output;
    EXPECT_NE(embed.output.find("resource table"), std::string::npos) << embed.output;
    EXPECT_NE(embed.output.find("sign it again"), std::string::npos) << embed.output;

    const auto list = RunTool(CVD_RES, {"list", installer});
    EXPECT_NE(list.output.find("skin package (2 files)"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find("language/language_english.xml"), std::string::npos) << list.output;

    const auto verify = RunTool(CVD_SIGN_PACKAGE, {"verify", installer, "--trust", CVD_TRUST_DIR});
    EXPECT_EQ(verify.status, 1) << "the old signature must not cover the new skin: "
                                << verify.output;
}

}  // namespace
