#include "config/WorkDirectories.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TempEnv.h"
#include "config/CConfigure.h"

namespace {

TEST(WorkDirectoryNames, DeriveFromTheLastSegmentOfTheDownloadUrl) {
    struct Case {
        std::wstring url, folder, stem, package;
    };
    const Case cases[] = {
        {L"https://h/d/zorvikvideoconverter_zorvik.exe", L"zorvikvideoconverter_zorvik",
         L"zorvikvideoconverter_zorvik", L"zorvikvideoconverter_zorvik_1.0.0.0.exe"},
        {L"https://h/d/a.b.exe", L"a", L"a.b", L"a.b_1.0.0.0.exe"},
        {L"https://h/d/setup", L"Zorvik", L"setup", L"setup_1.0.0.0.apk"},
        {L"https://h/d/SETUP.EXE", L"SETUP", L"SETUP", L"SETUP_1.0.0.0.apk"},
        {L"no-slash.exe", L"Zorvik", L"no-slash", L"no-slash_1.0.0.0.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.url.begin(), c.url.end()));
        EXPECT_EQ(workdirs::ProductFolderName(c.url, L"Zorvik"), c.folder);
        EXPECT_EQ(workdirs::UrlFileStem(c.url), c.stem);
        EXPECT_EQ(workdirs::PackageFileName(c.url, L"1.0.0.0"), c.package);
    }
}

TEST(WorkDirectoryNames, ShortUrlsCountAsExecutableDownloads) {
    EXPECT_TRUE(workdirs::IsExecutableDownload(L""));
    EXPECT_TRUE(workdirs::IsExecutableDownload(L"a.e"));
    EXPECT_FALSE(workdirs::IsExecutableDownload(L"a.EXE"));
    EXPECT_FALSE(workdirs::IsExecutableDownload(L"a.apk"));
}

TEST(WorkDirectoryNames, LogFileKeepsThirteenDigitsOfTheStamp) {
    EXPECT_EQ(workdirs::LogFilePath(L"/logs/", L"https://h/zorvikvideoconverter_zorvik.exe",
                                    L"20240315143025123"),
              L"/logs/zorvikvideoconverter_zorvik_2024031514302.log");
    EXPECT_EQ(workdirs::LocalTimeStamp17().size(), 17u);
}

TEST(SelectDownloadDrive, MovesThePathToTheRoomiestFixedNonUsbVolume) {
    const std::vector<platform::Volume> volumes = {
        {L"/", true, false},        {L"/data/", true, false}, {L"/media/usb/", true, true},
        {L"/mnt/net/", false, false}, {L"/big/", true, false},
    };
    const std::map<std::wstring, std::uint64_t> free = {
        {L"/", 100}, {L"/data/", 500}, {L"/media/usb/", 9000}, {L"/mnt/net/", 9000}, {L"/big/", 500}};
    const auto query = [&](const std::wstring& root) -> std::optional<std::uint64_t> {
        return free.at(root);
    };
    // Equal free space keeps the volume reported first.
    EXPECT_EQ(workdirs::SelectDownloadDrive(L"/CVDownloader/x", L"/", volumes, query),
              L"/data/CVDownloader/x");
}

TEST(SelectDownloadDrive, KeepsThePathWhenNoVolumeQualifies) {
    const std::vector<platform::Volume> volumes = {{L"/media/usb/", true, true},
                                                   {L"/mnt/net/", false, false},
                                                   {L"/broken/", true, false}};
    const auto query = [](const std::wstring& root) -> std::optional<std::uint64_t> {
        if (root == L"/broken/") return std::nullopt;
        return 1000;
    };
    EXPECT_EQ(workdirs::SelectDownloadDrive(L"/home/CVDownloader/x", L"/home/", volumes, query),
              L"/home/CVDownloader/x");
}

class WorkDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override { CConfigure::Instance().ResetForTesting(); }
    void TearDown() override { CConfigure::Instance().ResetForTesting(); }
    cvdtest::TempEnv env;
};

TEST_F(WorkDirectoryTest, LogDirectoryLiesUnderLocalAppDataForExecutables) {
    auto& config = CConfigure::Instance();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const std::wstring expected = (env.Root() / "data/CVDownloader/logs/zorvik_setup/").wstring();
    EXPECT_EQ(config.GetLogDirectory(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));

    const std::wstring log = config.GetLogFilePath();
    EXPECT_TRUE(log.starts_with(expected + L"zorvik_setup_"));
    EXPECT_TRUE(log.ends_with(L".log"));
    EXPECT_EQ(log.size(), expected.size() + std::wstring(L"zorvik_setup_").size() + 13 + 4);
    EXPECT_EQ(config.GetLogFilePath(), log) << "cached at the first call";
}

TEST_F(WorkDirectoryTest, NonExecutableDownloadsUseTheDesktop) {
    auto& config = CConfigure::Instance();
    config.SetDownload_url(L"https://h/zorvik_setup.EXE");
    EXPECT_EQ(config.GetLogDirectory(),
              (env.Home() / "Desktop/CVDownloader/logs/zorvik_setup/").wstring());
}

TEST_F(WorkDirectoryTest, WorkDirectoryIsCreatedEndsWithSlashAndIsCached) {
    auto& config = CConfigure::Instance();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const std::wstring work = config.GetWorkDirectory();
    EXPECT_TRUE(work.ends_with(L"CVDownloader/zorvik_setup/"));
    EXPECT_TRUE(std::filesystem::is_directory(work));
    config.SetDownload_url(L"https://h/other.exe");
    EXPECT_EQ(config.GetWorkDirectory(), work);
}

}  // namespace
