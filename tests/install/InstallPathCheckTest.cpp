#include <fstream>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/InstallPathCheck.h"
#include "install/PendingRename.h"
#include "platform/FsPath.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

// Two file systems described over two real folders: "small" holds the work directory.
class InstallPathCheckTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        fs::create_directories(small);
        fs::create_directories(big);
        CConfigure& config = CConfigure::Instance();
        ApplyConfig(
            {{"Download_url", "https://h/cvd_pathcheck_" + std::to_string(::getpid()) + ".exe"}});
        config.SetLoadSource(1);
        config.SetSubProgramInfoDone(true);
        config.SetFilesize(100);
        config.AddSubProgram({.file_size = L"50abc"});
        window.installPath = Wide(small / "Product");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(PathOf(CConfigure::Instance().GetWorkDirectory()), ignored);
        InstallTest::TearDown();
    }
    install::DiskFacts Disks() {
        install::DiskFacts disks;
        const std::wstring smallRoot = platform::WithTrailingSeparator(Wide(small)),
                           bigRoot = platform::WithTrailingSeparator(Wide(big));
        disks.driveRoot = [=](const std::wstring& path) {
            return path.starts_with(bigRoot) ? bigRoot : smallRoot;
        };
        disks.freeBytes = [=, this](const std::wstring& root) -> std::optional<std::uint64_t> {
            return root == bigRoot ? bigFree : smallFree;
        };
        disks.volumes = [=] {
            return std::vector<platform::Volume>{{smallRoot, true, false}, {bigRoot, true, false}};
        };
        return disks;
    }

    fs::path small = env.Root() / "small";
    fs::path big = env.Root() / "big";
    std::uint64_t smallFree = 1000;
    std::uint64_t bigFree = 1000;
};

TEST_F(InstallPathCheckTest, RequiredSpaceAddsTheSubProgramsLeadingDigits) {
    EXPECT_EQ(install::RequiredSpace(), 150);
}

TEST_F(InstallPathCheckTest, ACheckThatPassesCreatesTheFolder) {
    EXPECT_TRUE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_TRUE(fs::is_directory(small / "Product"));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(InstallPathCheckTest, AShortWorkDriveRefusesWithTheSpaceBox) {
    smallFree = 150;
    EXPECT_FALSE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_EQ(window.boxes, std::vector<int>{11});
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 2);
    EXPECT_EQ(CConfigure::Instance().GetSpaceNeeded(), 150);
    EXPECT_EQ(CConfigure::Instance().GetSpaceFree(), 150);
}

TEST_F(InstallPathCheckTest, AShortInstallDriveMovesSilentlyToARoomierOne) {
    smallFree = 400;  // enough for the package, not three times
    EXPECT_TRUE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_EQ(window.installPath, Wide(big / "Product"));
    EXPECT_TRUE(fs::is_directory(big / "Product"));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(events.All().empty());
}

TEST_F(InstallPathCheckTest, NoRoomAnywhereReportsTheInstallDrive) {
    smallFree = 400;  // the roomier of the two: the path stays
    bigFree = 300;
    EXPECT_FALSE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_EQ(window.boxes, std::vector<int>{11});
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 2);
    EXPECT_EQ(events.All(),
              (std::vector<std::string>{
                  "ga4|Other|FlowError|DL008", "funnel|ErrorReporting|Error|MainErrorType=DL008",
                  "ga4|Other|NoEnoughSpace|install_400",
                  "funnel|Download|NoEnoughSpace|InstallNoEnoughSpace=[0~100]MB"}));
}

TEST_F(InstallPathCheckTest, SizesNotYetFromTheServerSkipTheSpaceCheck) {
    CConfigure::Instance().SetLoadSource(2);
    smallFree = 1;
    EXPECT_TRUE(install::IsCorrectInstallPath(window, Disks()));
}

TEST_F(InstallPathCheckTest, AFolderThatCannotBeCreatedIsRefused) {
    std::ofstream(small / "file") << "x";
    window.installPath = Wide(small / "file" / "Product");
    EXPECT_FALSE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_EQ(window.boxes, std::vector<int>{4});
    EXPECT_EQ(CConfigure::Instance().GetInstallState(), 2);
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL009"));
    EXPECT_TRUE(log.Contains("create install path fail"));
}

TEST_F(InstallPathCheckTest, PendingRebootOperationsGiveTheFolderANumber) {
    platform::RegistryStore::Machine().WriteString(
        platform::RegistryRoot::LocalMachine, install::kSessionManagerKey,
        install::kPendingRenameValue, window.installPath + AsLastPart(L"old.so"));
    const std::wstring original = window.installPath;
    EXPECT_TRUE(install::IsCorrectInstallPath(window, Disks()));
    EXPECT_EQ(window.installPath, original + L" 1");
    EXPECT_FALSE(fs::exists(PathOf(window.installPath)));
    EXPECT_EQ(events.All(), (std::vector<std::string>{"ga4|Other|ProcessNeedRestartSign|",
                                                      "funnel|Download|ProcessNeedRestartSign|"}));
}

}  // namespace
