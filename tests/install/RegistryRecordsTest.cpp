#include <fstream>

#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/RegistryRecords.h"
#include "platform/Registry.h"

namespace {

using namespace cvdtest;

class RegistryRecordsTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        CConfigure::Instance().SetSoftware_name(L"Zorvik Video Converter");
    }
};

TEST_F(RegistryRecordsTest, TheTooManyRequestsCounterCountsFromOne) {
    struct Row {
        std::optional<std::wstring> before;
        std::wstring after;
    } rows[] = {{std::nullopt, L"1"},
                {L"1", L"2"},
                {L"9", L"10"},
                {L"abc", L"1"},
                {L"0", L"1"},
                {L"-4", L"1"},
                {L"2147483647", L"2147483647"}};
    for (const Row& row : rows) {
        platform::RegistryStore::Machine().DeleteValue(platform::RegistryRoot::LocalMachine,
                                                       install::UninstallKey(),
                                                       install::kTooManyRequestsValue);
        if (row.before) install::WriteUninstallValue(install::kTooManyRequestsValue, *row.before);
        EXPECT_TRUE(install::CountTooManyRequests());
        EXPECT_EQ(install::ReadUninstallValue(install::kTooManyRequestsValue), row.after);
    }
    EXPECT_EQ(install::UninstallKey(),
              L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvik Video Converter");
}

TEST_F(RegistryRecordsTest, TheMachineMarkerIsSetOnce) {
    EXPECT_FALSE(install::MachineMarkerSet());
    install::SetMachineMarker();
    EXPECT_TRUE(install::MachineMarkerSet());
    EXPECT_EQ(platform::RegistryStore::Machine().ReadString(platform::RegistryRoot::LocalMachine,
                                                            install::kMakerKey, L"GA_PC"),
              L"1");
}

TEST_F(RegistryRecordsTest, ClearingRemovesThePackageAndItsTaskFile) {
    ApplyConfig({{"Download_url", "https://h/zorvik_setup.exe"}, {"Software_version", "1.0"}});
    CConfigure& config = CConfigure::Instance();
    const std::wstring package = config.GetWorkDirectory() + config.GetPackageFileName();
    std::ofstream(PathOf(package)) << "x";
    std::ofstream(PathOf(package + L".xml")) << "x";
    install::ClearAPPData();
    EXPECT_FALSE(std::filesystem::exists(PathOf(package)));
    EXPECT_FALSE(std::filesystem::exists(PathOf(package + L".xml")));
    install::ClearAPPData();  // nothing left: only the log line
    EXPECT_TRUE(log.Contains("clear app data"));
    std::filesystem::remove_all(PathOf(config.GetWorkDirectory()));
}

}  // namespace
