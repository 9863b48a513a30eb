// Starting the installed product on both paths, with a script standing in for the product that
// writes down where and how it was started.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempEnv.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "sys/ProductStart.h"

namespace {

namespace fs = std::filesystem;

// Writes down "folder|argument count|arguments|session" beside itself.
constexpr char kReportingProduct[] =
    "#!/bin/sh\n"
    "read -r _ _ _ _ _ sid _ < /proc/$$/stat\n"
    "printf '%s|%s|%s|%s' \"$(pwd)\" \"$#\" \"$*\" \"$sid\" > \"$0.out.tmp\"\n"
    "mv \"$0.out.tmp\" \"$0.out\"\n";

class ProductStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        FuntionImpl::SetStartErrorReporter([this](const std::string& e) { errors.push_back(e); });
        env.WriteFile("prod dir/product.sh", kReportingProduct);
        fs::permissions(product, fs::perms::owner_all);
    }
    void TearDown() override { FuntionImpl::SetStartErrorReporter(nullptr); }

    std::wstring Quoted(const fs::path& path) const {
        return L"\"" + platform::WidePath(path) + L"\"";
    }
    // What the product wrote: "folder|argument count|arguments|session".
    std::string Report() const { return ReportOf(product); }
    static std::string ReportOf(const fs::path& program) {
        const fs::path out = program.string() + ".out";
        for (int i = 0; i < 1000 && !fs::exists(out); ++i) platform::SleepMs(10);
        const std::string report = cvdtest::ReadFile(out);
        fs::remove(out);
        return report;
    }

    cvdtest::TempEnv env;
    fs::path product = env.Root() / "prod dir" / "product.sh";
    std::vector<std::string> errors;
};

TEST_F(ProductStartTest, WithOwnRightsStartsInItsFolderWithTheArguments) {
    ASSERT_EQ(FuntionImpl::StartTargetMainExe(Quoted(product), 1, L" /startSubProgramPID 3001"), 0);
    const std::string session = std::to_string(::getsid(0));
    EXPECT_EQ(Report(), product.parent_path().string() + "|2|/startSubProgramPID 3001|" + session);
    EXPECT_TRUE(errors.empty());
}

TEST_F(ProductStartTest, AsTheDesktopShellStartsDetachedAndDropsTheArguments) {
    ASSERT_EQ(FuntionImpl::StartTargetMainExe(Quoted(product), 0, L" /startSubProgramPID 3001"), 0);
    const std::string report = Report();
    EXPECT_TRUE(report.starts_with(product.parent_path().string() + "|0||")) << report;
    EXPECT_NE(report.substr(report.rfind('|') + 1), std::to_string(::getsid(0)));
    EXPECT_TRUE(errors.empty());
}

TEST_F(ProductStartTest, AsRootForADesktopUserStartsAsThatUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    env.Set("SUDO_UID", "65534");  // nobody
    env.Set("PKEXEC_UID", std::nullopt);
    for (fs::path folder = product.parent_path(); folder != env.Root().parent_path();
         folder = folder.parent_path())
        fs::permissions(folder, fs::perms::all);  // the user must reach and write its folder
    env.WriteFile("prod dir/product.sh",
                  "#!/bin/sh\nid -u > \"$0.out.tmp\"\nmv \"$0.out.tmp\" \"$0.out\"\n");
    fs::permissions(product, fs::perms::all);
    ASSERT_EQ(FuntionImpl::StartTargetMainExe(Quoted(product), 0, L""), 0);
    EXPECT_EQ(Report(), "65534\n");
    EXPECT_TRUE(errors.empty());
}

TEST_F(ProductStartTest, AMissingProductFailsWithTheSystemError) {
    const fs::path missing = env.Root() / "gone" / "product";
    EXPECT_EQ(FuntionImpl::StartTargetMainExe(Quoted(missing), 0, L""), -1);
    EXPECT_EQ(FuntionImpl::StartTargetMainExe(Quoted(missing), 1, L""), -1);
    EXPECT_EQ(errors, (std::vector<std::string>{"2", "2"}));
}

// A process name from the server once carried quotes: the path must start as it stands, never
// re-split into a shorter program and extra arguments.
TEST_F(ProductStartTest, TheQuotedPathStartsAsItStandsWhateverItsNameHolds) {
    const fs::path odd = env.WriteFile("prod dir/product\" --evil \"x.sh", kReportingProduct);
    const fs::path decoy = env.WriteFile("prod dir/product", "#!/bin/sh\ntouch \"$0.ran\"\n");
    for (const fs::path& script : {odd, decoy}) fs::permissions(script, fs::perms::owner_all);
    const std::string folder = product.parent_path().string();
    ASSERT_EQ(FuntionImpl::StartTargetMainExe(Quoted(odd), 1, L" /startSubProgramPID 3001"), 0);
    EXPECT_TRUE(ReportOf(odd).starts_with(folder + "|2|/startSubProgramPID 3001|"));
    ASSERT_EQ(FuntionImpl::StartTargetMainExe(Quoted(odd), 0, L""), 0);
    EXPECT_TRUE(ReportOf(odd).starts_with(folder + "|0||"));
    EXPECT_FALSE(fs::exists(decoy.string() + ".ran"));
    EXPECT_TRUE(errors.empty());
}

}  // namespace
