#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TempEnv.h"
#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "sys/Log.h"

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

TEST_F(WorkDirectoryTest, WorkDirectoryGoesToTheTopOfTheOnlyVolumeIsCachedAndLoggedOnce) {
    auto& config = CConfigure::Instance();
    const auto logFile = env.Root() / "work.log";
    FuntionImpl::ConfigureLogger(logFile.wstring());
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const std::wstring work = config.GetWorkDirectory();
    EXPECT_EQ(work, (env.Volume() / "CVDownloader/zorvik_setup/").wstring());
    EXPECT_TRUE(std::filesystem::is_directory(work));
    config.SetDownload_url(L"https://h/other.exe");
    EXPECT_EQ(config.GetWorkDirectory(), work);
    el::Loggers::getLogger("default")->flush();
    const std::string text = cvdtest::ReadFile(logFile);
    const std::string line =
        " Work directory: " + (env.Volume() / "CVDownloader/zorvik_setup/").string();
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
        EXPECT_EQ(workdirs::WorkDirectoryCandidates(L"p", volumes.Source(), c.user), c.candidates);
    }
}

TEST_F(WorkDirectoryTest, AVolumeTopThatCannotHoldOrIsSharedIsPassedOver) {
    namespace fs = std::filesystem;
    const fs::path blocked = env.Root() / "blocked", shared = env.Root() / "shared",
                   linked = env.Root() / "linked", good = env.Root() / "good";
    env.WriteFile("blocked/CVDownloader", "a file where the folder belongs");
    fs::create_directories(shared / "CVDownloader");
    fs::permissions(shared / "CVDownloader", fs::perms::all);  // everybody may swap the package
    fs::create_directories(linked);
    fs::create_symlink(good, linked / "CVDownloader");
    const std::vector<std::wstring> candidates = {
        (blocked / "CVDownloader/p").wstring(), (shared / "CVDownloader/p").wstring(),
        (linked / "CVDownloader/p").wstring(), (good / "CVDownloader/p").wstring()};
    EXPECT_EQ(workdirs::ChooseWorkDirectory(candidates), (good / "CVDownloader/p/").wstring());
}

// Whoever may rename entries in any folder on the way could swap the package after its check.
TEST_F(WorkDirectoryTest, AVolumeWhereAGroupMayRenameOnTheWayIsPassedOver) {
    namespace fs = std::filesystem;
    const fs::path shared = env.Root() / "shared" / "volume", good = env.Root() / "good";
    fs::create_directories(shared);
    fs::permissions(env.Root() / "shared", fs::perms::owner_all | fs::perms::group_all);
    // Our own folders made under a group-writable umask are ours to tighten.
    fs::create_directories(good / "CVDownloader/p");
    fs::permissions(good / "CVDownloader", fs::perms::group_write, fs::perm_options::add);
    fs::permissions(good / "CVDownloader/p", fs::perms::group_write, fs::perm_options::add);
    const std::vector<std::wstring> candidates = {(shared / "CVDownloader/p").wstring(),
                                                  (good / "CVDownloader/p").wstring()};
    EXPECT_EQ(workdirs::ChooseWorkDirectory(candidates), (good / "CVDownloader/p/").wstring());
    for (const fs::path& folder : {good / "CVDownloader", good / "CVDownloader/p"})
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::group_write, fs::perms::none)
            << folder;
}

TEST_F(WorkDirectoryTest, AnInjectedSourceChoosesTheVolumeAndTheCacheIsTheLastResort) {
    namespace fs = std::filesystem;
    auto& config = CConfigure::Instance();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    const fs::path small = env.Root() / "small", big = env.Root() / "big";
    fs::create_directories(small);
    fs::create_directories(big);
    const InjectedVolumes volumes(
        {{{small.wstring() + L"/", true, false}, 1}, {{big.wstring() + L"/", true, false}, 2}});
    config.SetVolumeSource(volumes.Source());
    EXPECT_EQ(config.GetWorkDirectory(), (big / "CVDownloader/zorvik_setup/").wstring());

    config.ResetForTesting();
    config.SetDownload_url(L"https://h/zorvik_setup.exe");
    env.WriteFile("big2/CVDownloader", "blocked");
    const InjectedVolumes blocked({{{(env.Root() / "big2").wstring() + L"/", true, false}, 2}});
    config.SetVolumeSource(blocked.Source());
    EXPECT_EQ(config.GetWorkDirectory(), (env.Cache() / "CVDownloader/zorvik_setup/").wstring());
}

}  // namespace
