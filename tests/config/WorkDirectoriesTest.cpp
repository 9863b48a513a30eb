#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TempEnv.h"
#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "platform/FsPath.h"
#include "sys/Log.h"

namespace {

// A path as the code under test spells it: with this system's separators throughout.
std::wstring Native(const std::filesystem::path& path) {
    return std::filesystem::path(path).make_preferred().wstring();
}

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

TEST(WorkDirectoryNames, AProductFolderThatIsNoPlainNameBecomesTheSoftwareName) {
    for (const std::wstring url :
         {L"https://h/d/zorvik\" --evil.exe", L"https://h/d/a|b.exe", L"https://h/d/con.exe",
          L"https://h/d/x?y.exe", L"https://h/d/tab\there.exe", L"https://h/d/a:b.exe"}) {
        SCOPED_TRACE(std::string(url.begin(), url.end()));
        EXPECT_EQ(workdirs::ProductFolderName(url, L"Zorvik"), L"Zorvik");
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
        {L"/", true, false},          {L"/data/", true, false}, {L"/media/usb/", true, true},
        {L"/mnt/net/", false, false}, {L"/big/", true, false},
    };
    const std::map<std::wstring, std::uint64_t> free = {{L"/", 100},
                                                        {L"/data/", 500},
                                                        {L"/media/usb/", 9000},
                                                        {L"/mnt/net/", 9000},
                                                        {L"/big/", 500}};
    const auto query = [&](const std::wstring& root) -> std::optional<std::uint64_t> {
        return free.at(root);
    };
    // Equal free space keeps the volume reported first.
    EXPECT_EQ(workdirs::SelectDownloadDrive(L"/CVDownloader/x", L"/", volumes, query),
              L"/data/CVDownloader/x");
}

TEST(SelectDownloadDrive, KeepsThePathWhenNoVolumeQualifies) {
    const std::vector<platform::Volume> volumes = {
        {L"/media/usb/", true, true}, {L"/mnt/net/", false, false}, {L"/broken/", true, false}};
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
    const std::wstring expected = Native(env.Root() / "data/CVDownloader/logs/zorvik_setup/");
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
              Native(env.Home() / "Desktop/CVDownloader/logs/zorvik_setup/"));
}

TEST_F(WorkDirectoryTest, WorkDirectoryGoesToTheTopOfTheOnlyVolumeIsCachedAndLoggedOnce) {
    auto& config = CConfigure::Instance();
    const auto logFile = env.Root() / "work.log";
    FuntionImpl::ConfigureLogger(logFile.wstring());
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const std::wstring work = config.GetWorkDirectory();
    EXPECT_EQ(work, Native(env.Volume() / "CVDownloader/zorvik_setup/"));
    EXPECT_TRUE(std::filesystem::is_directory(work));
    config.SetDownload_url(L"https://h/other.exe");
    EXPECT_EQ(config.GetWorkDirectory(), work);
    el::Loggers::getLogger("default")->flush();
    const std::string text = cvdtest::ReadFile(logFile);
    const std::string line =
        " Work directory: " + platform::WideToUtf8(Native(env.Volume() / "CVDownloader/zorvik_setup/"));
    EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_EQ(text.find(line), text.rfind(line)) << "logged once";
}

// Volumes under a private folder; a path's drive root is the longest volume holding it.
class InjectedVolumes {
public:
    explicit InjectedVolumes(std::vector<std::pair<platform::Volume, std::uint64_t>> volumes)
        : volumes_(std::move(volumes)) {}
    workdirs::VolumeSource Source() const {
        return {[this] {
                    std::vector<platform::Volume> list;
                    for (const auto& [volume, free] : volumes_) list.push_back(volume);
                    return list;
                },
                [this](const std::wstring& root) -> std::optional<std::uint64_t> {
                    for (const auto& [volume, free] : volumes_)
                        if (volume.root == root) return free;
                    return std::nullopt;
                },
                [this](const std::wstring& path) {
                    std::wstring best = L"/";
                    for (const auto& [volume, free] : volumes_)
                        if (path.starts_with(volume.root) && volume.root.size() > best.size())
                            best = volume.root;
                    return best;
                }};
    }

private:
    std::vector<std::pair<platform::Volume, std::uint64_t>> volumes_;
};

TEST(WorkDirectoryCandidates, RoomiestVolumeThenTheUsersFolderOnItThenTheCache) {
    struct Case {
        const char* name;
        std::vector<std::pair<platform::Volume, std::uint64_t>> volumes;
        workdirs::UserFolders user;
        std::vector<std::wstring> candidates;
    };
    const platform::Volume root{L"/", true, false}, data{L"/data/", true, false},
        home{L"/home/", true, false}, usb{L"/media/usb/", true, true},
        net{L"/mnt/nas/", false, false};
    const workdirs::UserFolders onRoot{L"/root/", L"/root/.cache/"};
    const workdirs::UserFolders onHome{L"/home/u/", L"/home/u/.cache/"};
    const workdirs::UserFolders cacheElsewhere{L"/home/u/", L"/var/cache/u/"};
    const Case cases[] = {
        {"home not on the roomiest volume",
         {{root, 10}, {data, 50}},
         onRoot,
         {L"/data/CVDownloader/p", L"/root/.cache/CVDownloader/p"}},
        {"home and cache on it",
         {{root, 10}, {home, 50}},
         onHome,
         {L"/home/CVDownloader/p", L"/home/u/.cache/CVDownloader/p"}},
        {"home on it, cache elsewhere",
         {{root, 10}, {home, 50}},
         cacheElsewhere,
         {L"/home/CVDownloader/p", L"/home/u/CVDownloader/p", L"/var/cache/u/CVDownloader/p"}},
        {"usb and network disks never count",
         {{root, 10}, {usb, 90}, {net, 90}},
         onHome,
         {L"/CVDownloader/p", L"/home/u/.cache/CVDownloader/p"}},
        {"equal space keeps the first",
         {{data, 50}, {home, 50}},
         onRoot,
         {L"/data/CVDownloader/p", L"/root/.cache/CVDownloader/p"}},
        {"no volume qualifies", {{usb, 90}}, onHome, {L"/home/u/.cache/CVDownloader/p"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const InjectedVolumes volumes(c.volumes);
        std::vector<std::wstring> expected;
        for (const std::wstring& candidate : c.candidates) expected.push_back(Native(candidate));
        EXPECT_EQ(workdirs::WorkDirectoryCandidates(L"p", volumes.Source(), c.user), expected);
    }
}

TEST_F(WorkDirectoryTest, AnInjectedSourceChoosesTheVolumeAndTheCacheIsTheLastResort) {
    namespace fs = std::filesystem;
    auto& config = CConfigure::Instance();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const fs::path small = env.Root() / "small", big = env.Root() / "big";
    fs::create_directories(small);
    fs::create_directories(big);
    const InjectedVolumes volumes(
        {{{platform::WithTrailingSeparator(small.wstring()), true, false}, 1},
         {{platform::WithTrailingSeparator(big.wstring()), true, false}, 2}});
    config.SetVolumeSource(volumes.Source());
    EXPECT_EQ(config.GetWorkDirectory(), Native(big / "CVDownloader/zorvik_setup/"));

    config.ResetForTesting();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    env.WriteFile("big2/CVDownloader", "blocked");
    const InjectedVolumes blocked(
        {{{platform::WithTrailingSeparator((env.Root() / "big2").wstring()), true, false}, 2}});
    config.SetVolumeSource(blocked.Source());
    EXPECT_EQ(config.GetWorkDirectory(), Native(env.Cache() / "CVDownloader/zorvik_setup/"));
}

}  // namespace
