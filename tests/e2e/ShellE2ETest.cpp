// The process shell end to end: real processes of the run sequence (with scripted windows, see
// ShellHost.cpp) against the vendor stand's service: crash, dump, restart, upload; single
// instance and window activation; the country gate.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <thread>

#include "Command.h"
#include "ServerProcess.h"
#include "TempEnv.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Base64(const std::string& text) {
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<int>(text.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds limit = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

std::set<std::string> ZipEntries(const fs::path& path) {
    std::set<std::string> names;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.insert(zip_get_name(archive, i, 0));
    zip_close(archive);
    return names;
}

class ShellE2E : public ::testing::Test {
protected:
    fs::path Root() const { return env_.Root(); }
    fs::path Host() const { return Root() / "bin" / "cvdownloader"; }
    fs::path Control() const { return Root() / "control"; }
    fs::path State() const { return Root() / "stand"; }

    void SetUp() override {
        fs::create_directories(Control());
        env_.Set("CVD_SHELL_HOST_DIR", Control().string());
        env_.WriteFile("catalogue.json",
                       R"({"salt": "e2e", "country": "US", "products": [], "privacy": {},
                           "banners": [], "kits": {}})");
    }

    // The vendor stand's service on a free port, with its options ("--country", "CN", ...).
    void StartStand(std::vector<std::string> options = {}) {
        std::vector<std::string> argv = {
            "python3",     std::string(CVD_SOURCE_DIR) + "/tools/vendor-stand/vendorservice.py",
            "--port",      "0",
            "--state",     State().string(),
            "--cdn",       "https://127.0.0.1:9",
            "--catalogue", (Root() / "catalogue.json").string(),
            "--lifetime",  "600"};
        argv.insert(argv.end(), options.begin(), options.end());
        stand_ = std::make_unique<cvdtest::ServerProcess>(argv);
        ASSERT_TRUE(stand_->Started());
    }
    std::string StandHost() const { return "127.0.0.1:" + std::to_string(stand_->Port()); }

    // The installer host with the shipped skin, every endpoint at the stand and `config` keys
    // replaced in the product configuration.
    void BuildHost(const std::map<std::string, std::string>& config = {}) {
        fs::create_directories(Host().parent_path());
        fs::copy_file(CVD_SHELL_HOST, Host());
        fs::copy(CVD_SKIN_DIR, Root() / "skin", fs::copy_options::recursive);
        const fs::path endpoints = Root() / "skin/configure/endpoints.xml";
        std::string text = cvdtest::ReadFile(endpoints);
        text = std::regex_replace(text, std::regex(R"(text="127\.0\.0\.1:\d+")"),
                                  "text=\"" + StandHost() + "\"");
        text = std::regex_replace(text, std::regex(R"(name="GeolocationUrlBase64" text="[^"]*")"),
                                  "name=\"GeolocationUrlBase64\" text=\"" +
                                      Base64("http://" + StandHost() + "/json/") + "\"");
        std::ofstream(endpoints) << text;
        const fs::path configure = Root() / "skin/configure/configure.xml";
        text = cvdtest::ReadFile(configure);
        for (const auto& [key, value] : config)
            text = std::regex_replace(text, std::regex("name=\"" + key + "\" text=\"[^\"]*\""),
                                      "name=\"" + key + "\" text=\"" + value + "\"");
        std::ofstream(configure) << text;
        const auto embed = cvdtest::RunCommand(
            {CVD_RES_BINARY, "embed", Host().string(), (Root() / "skin").string()});
        ASSERT_EQ(embed.status, 0) << embed.output;
    }

    // The debug settings file beside the host ("" removes it).
    void Switches(const std::string& settings) {
        const fs::path file = Host().parent_path() / "cv_downloader.cfg";
        if (settings.empty())
            fs::remove(file);
        else
            std::ofstream(file) << "[Settings]\n" << settings;
    }

    std::unique_ptr<platform::Process> Start(const std::string& arguments = "") {
        platform::ProcessOptions options;
        options.commandLine = platform::QuoteArgument(platform::Utf8ToWide(Host().string())) +
                              (arguments.empty() ? L"" : L" " + platform::Utf8ToWide(arguments));
        auto process = platform::Process::Start(options);
        EXPECT_NE(process, nullptr);
        if (process) started_.push_back(process->Pid());
        return process;
    }

    // A failed test must not leave its instances waiting for their quit file.
    void TearDown() override {
        Touch("quit");
        for (int pid : started_) ::kill(pid, SIGKILL);
    }

    std::string Events(const platform::Process& process) const {
        return cvdtest::ReadFile(Control() / ("events-" + std::to_string(process.Pid())));
    }
    bool HasEvent(const platform::Process& process, const std::string& line) const {
        return Events(process).find(line + "\n") != std::string::npos;
    }
    void Touch(const std::string& name) const { std::ofstream(Control() / name) << ""; }

    // Files under the private home whose names match `pattern`.
    std::vector<fs::path> Find(const std::string& pattern) const {
        std::vector<fs::path> found;
        const std::regex re(pattern);
        std::error_code error;
        for (fs::recursive_directory_iterator it(Root(), error), end; !error && it != end;
             it.increment(error))
            if (it->is_regular_file() && std::regex_match(it->path().filename().string(), re))
                found.push_back(it->path());
        return found;
    }
    std::string AllLogs() const {
        std::string all;
        for (const fs::path& log : Find(R"(.*\.log)")) all += cvdtest::ReadFile(log);
        return all;
    }
    std::vector<fs::path> Uploads() const {
        std::vector<fs::path> found;
        std::error_code error;
        for (fs::directory_iterator it(State() / "uploads", error), end; !error && it != end;
             it.increment(error))
            found.push_back(it->path());
        return found;
    }
    std::string StandReport(const std::string& kind) const {
        return cvdtest::RunCommand(
                   {"env", "CVD_STAND_DIR=" + State().string(), "python3",
                    std::string(CVD_SOURCE_DIR) + "/tools/vendor-stand/vendor-stand", "report",
                    "--kind", kind})
            .output;
    }

    // Runs the host with CrashTest on until it has faulted.
    void Crash() {
        Switches("CrashTest=1\n");
        auto process = Start();
        ASSERT_TRUE(process->Wait(60000));
        EXPECT_FALSE(process->ExitCode().has_value()) << "ended normally instead of by its fault";
        Switches("");
    }

    cvdtest::TempEnv env_;
    std::unique_ptr<cvdtest::ServerProcess> stand_;
    std::vector<int> started_;
};

const char kLogName[] = R"(zorvikvideoconverter_zorvik_\d{13}\.log)";

TEST_F(ShellE2E, ACrashLeavesADumpAndTheRestartedProcessUploadsAndDeletesTheZip) {
    StartStand();
    BuildHost();
    Crash();

    const auto dumps = Find(std::string(kLogName) + R"(\.dmp)");
    ASSERT_EQ(dumps.size(), 1u) << AllLogs();
    const std::string dump = cvdtest::ReadFile(dumps[0]);
    for (const char* part :
         {"signal: 8 SIGFPE", "registers:", "backtrace:", "memory map:", "build-id="})
        EXPECT_NE(dump.find(part), std::string::npos) << part;
    const std::string crashedLog =
        cvdtest::ReadFile(dumps[0].string().substr(0, dumps[0].string().size() - 4));
    for (const char* line : {" Exception handler entered.", " Release mutex: 1, 0, 1, 0",
                             " Create dmp file: ", " Write dmp file: 1, 0"})
        EXPECT_NE(crashedLog.find(line), std::string::npos) << line << "\n" << crashedLog;

    // The restarted process runs on its own; it is done once the zip has gone again.
    ASSERT_TRUE(WaitUntil([&] { return !Uploads().empty(); })) << AllLogs();
    ASSERT_TRUE(WaitUntil([&] {
        return AllLogs().find("crash report upload: 0") != std::string::npos;
    })) << AllLogs();
    EXPECT_TRUE(Find(R"(\d{17}\.zip)").empty());
    ASSERT_EQ(Uploads().size(), 1u);
    const std::string logName =
        dumps[0].filename().string().substr(0, dumps[0].filename().string().size() - 4);
    EXPECT_EQ(ZipEntries(Uploads()[0]), (std::set<std::string>{logName, logName + ".dmp"}));
    EXPECT_TRUE(std::regex_search(Uploads()[0].filename().string(),
                                  std::regex(R"(_zorvikvideoconverter_zorvik_\d{17}\.zip$)")))
        << Uploads()[0];
    const std::string report = StandReport("log-upload");
    EXPECT_NE(report.find("\"product_id\": \"CVDownload2900\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"catalogue\": \"CrashDmp\""), std::string::npos) << report;
    EXPECT_TRUE(fs::exists(dumps[0]));  // the dump and the log stay
}

TEST_F(ShellE2E, AFailingUploadLeavesTheZip) {
    StartStand({"--upload-status", "500"});
    BuildHost();
    Crash();
    ASSERT_TRUE(WaitUntil([&] {
        return AllLogs().find("crash report upload: -3") != std::string::npos;
    })) << AllLogs();
    const auto zips = Find(R"(\d{17}\.zip)");
    ASSERT_EQ(zips.size(), 1u);
    EXPECT_EQ(ZipEntries(zips[0]).size(), 2u);
    EXPECT_TRUE(Uploads().empty());
}

TEST_F(ShellE2E, AnInstallerStartedRightAfterACrashIsNotBlocked) {
    StartStand();
    BuildHost();
    Crash();
    Touch("quit");
    auto next = Start();
    ASSERT_TRUE(next->Wait(60000));
    EXPECT_EQ(next->ExitCode(), 0);
    EXPECT_TRUE(HasEvent(*next, "window open Zorvik Video Converter")) << Events(*next);
}

TEST_F(ShellE2E, ASecondStartBringsTheFirstWindowToTheFrontAndExits) {
    StartStand();
    BuildHost();
    auto first = Start();
    ASSERT_TRUE(WaitUntil([&] { return HasEvent(*first, "window open Zorvik Video Converter"); }));
    auto second = Start();
    ASSERT_TRUE(second->Wait(60000));
    EXPECT_EQ(second->ExitCode(), 0);
    EXPECT_EQ(Events(*second), "toolkit down\n");
    EXPECT_TRUE(WaitUntil([&] { return HasEvent(*first, "front"); }));
    Touch("quit");
    ASSERT_TRUE(first->Wait(60000));
    EXPECT_EQ(first->ExitCode(), 0);
    const std::string logs = AllLogs();
    EXPECT_NE(logs.find("mutex already exist"), std::string::npos);
    EXPECT_NE(logs.find("switch to existed window"), std::string::npos);
}

TEST_F(ShellE2E, ASecondStartExitsSilentlyWhileTheFirstHasNoWindowYet) {
    StartStand();
    BuildHost();
    Touch("hold-window");
    auto first = Start();
    ASSERT_TRUE(WaitUntil([&] { return AllLogs().find("new main window") != std::string::npos; }));
    auto second = Start();
    ASSERT_TRUE(second->Wait(60000));
    EXPECT_EQ(second->ExitCode(), 0);
    EXPECT_EQ(Events(*second), "toolkit down\n");
    fs::remove(Control() / "hold-window");
    Touch("quit");
    ASSERT_TRUE(first->Wait(60000));
    EXPECT_EQ(first->ExitCode(), 0);
    EXPECT_FALSE(HasEvent(*first, "front"));
    EXPECT_NE(AllLogs().find("mutex already exist"), std::string::npos);
    EXPECT_EQ(AllLogs().find("switch to existed window"), std::string::npos);
}

TEST_F(ShellE2E, WithAutoRunASecondInstanceRunsAlongsideTheFirst) {
    StartStand();
    BuildHost();
    Switches("AutoRun=1\n");
    auto first = Start();
    ASSERT_TRUE(WaitUntil([&] { return HasEvent(*first, "window open Zorvik Video Converter"); }));
    auto second = Start();
    ASSERT_TRUE(WaitUntil([&] { return HasEvent(*second, "window open Zorvik Video Converter"); }));
    Touch("quit");
    ASSERT_TRUE(first->Wait(60000));
    ASSERT_TRUE(second->Wait(60000));
    EXPECT_EQ(first->ExitCode(), 0);
    EXPECT_EQ(second->ExitCode(), 0);
    EXPECT_EQ(AllLogs().find("mutex already exist"), std::string::npos);
}

TEST_F(ShellE2E, Department1InAForbiddenCountryShowsBox14AndExits) {
    StartStand({"--country", "CN"});
    BuildHost({{"Department", "1"}, {"ForbidCountries", "CN"}});
    auto run = Start();
    ASSERT_TRUE(run->Wait(60000));
    EXPECT_EQ(run->ExitCode(), 0);
    EXPECT_TRUE(
        std::regex_search(Events(*run), std::regex("^box 14 language \\d+\ntoolkit down\n$")))
        << Events(*run);
    EXPECT_NE(AllLogs().find("product not support current country"), std::string::npos);
    EXPECT_NE(StandReport("geolocation").find("geolocation"), std::string::npos);
    EXPECT_NE(StandReport("ga4").find("Other / CountryStartupForbided"), std::string::npos)
        << StandReport("ga4");
    EXPECT_NE(StandReport("funnel").find("StartDownloader / CountryStartupForbided"),
              std::string::npos)
        << StandReport("funnel");
}

TEST_F(ShellE2E, Department1InAnAllowedCountryOpensTheWindow) {
    StartStand({"--country", "US"});
    BuildHost({{"Department", "1"}, {"ForbidCountries", "CN"}});
    Touch("quit");
    auto run = Start();
    ASSERT_TRUE(run->Wait(60000));
    EXPECT_EQ(run->ExitCode(), 0);
    EXPECT_TRUE(HasEvent(*run, "window open Zorvik Video Converter")) << Events(*run);
}

// Tests in which another local user prepares a trap: each runs in a mount namespace of its own
// with a fresh /tmp, so what that user makes in /tmp never reaches the machine's. Root is needed
// for the namespace and to act as the other user.
class OtherUserShellE2E : public ShellE2E {
public:
    static void SetUpTestSuite() { skipReason_ = EnterPrivateTmp(); }

protected:
    static constexpr int kOtherUser = 12345;
    static constexpr char kWindowOpen[] = "window open Zorvik Video Converter";

    void SetUp() override {
        if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
        ShellE2E::SetUp();
    }

    static std::vector<std::string> AsOtherUser(const std::vector<std::string>& command) {
        const std::string id = std::to_string(kOtherUser);
        std::vector<std::string> words = {"setpriv", "--reuid", id,
                                          "--regid", id,        "--clear-groups"};
        words.insert(words.end(), command.begin(), command.end());
        return words;
    }

    // A process of the other user that holds an exclusive lock on `file` (made if missing) until
    // it is killed; its pid, or -1. It only makes system calls after the fork.
    int HoldLockAsOtherUser(const std::string& file) {
        int ready[2];
        if (::pipe(ready) != 0) return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            char held = 'F';
            if (::setgroups(0, nullptr) == 0 &&
                ::setresgid(kOtherUser, kOtherUser, kOtherUser) == 0 &&
                ::setresuid(kOtherUser, kOtherUser, kOtherUser) == 0) {
                const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0 && ::flock(fd, LOCK_EX) == 0) held = 'L';
            }
            if (::write(ready[1], &held, 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char held = 0;
        const bool holding = child > 0 && ::read(ready[0], &held, 1) == 1 && held == 'L';
        ::close(ready[0]);
        if (child > 0) started_.push_back(child);
        return holding ? child : -1;
    }

    // Waits until `process` has opened its window or ended; true when the window opened.
    bool OpensItsWindow(platform::Process& process) {
        WaitUntil([&] { return HasEvent(process, kWindowOpen) || process.Wait(0); });
        return HasEvent(process, kWindowOpen);
    }

private:
    static std::string EnterPrivateTmp() {
        if (::geteuid() != 0) return "needs root: a second local user and a private /tmp";
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("no mount namespace: ") + std::strerror(errno);
        // Nothing mounted from here on may reach the machine's namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("mounts cannot be made private: ") + std::strerror(errno);
        const std::set<std::string> trees = TreesInTmp();
        const int oldTmp = ::open("/tmp", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (oldTmp < 0) return std::string("/tmp cannot be opened: ") + std::strerror(errno);
        if (::mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") != 0)
            return std::string("no tmpfs on /tmp: ") + std::strerror(errno);
        std::string failure;
        for (const std::string& tree : trees) {
            const std::string from = "/proc/self/fd/" + std::to_string(oldTmp) + "/" + tree;
            const std::string to = "/tmp/" + tree;
            if (::mkdir(to.c_str(), 0700) != 0 ||
                ::mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
                failure = to + " cannot be bound into the fresh /tmp: " + std::strerror(errno);
        }
        ::close(oldTmp);
        return failure;
    }

    // The folders right below /tmp that hold the source tree, the build tree or the working
    // folder (a fresh clone in a temporary folder): the fresh /tmp would hide them.
    static std::set<std::string> TreesInTmp() {
        std::set<std::string> trees;
        for (const fs::path& path :
             {fs::path(CVD_SOURCE_DIR), fs::path(CVD_SHELL_HOST), fs::current_path()}) {
            const fs::path relative = fs::weakly_canonical(path).lexically_relative("/tmp");
            if (!relative.empty() && *relative.begin() != ".." && *relative.begin() != ".")
                trees.insert(relative.begin()->string());
        }
        return trees;
    }

    static inline std::string skipReason_;
};

// As under sudo, su or cron (no XDG_RUNTIME_DIR), another user pre-makes the shared lock folder,
// links a lock file to a place of their choosing and holds the instance lock as if an installer
// ran: the installer must still start, create nothing through the link, and a second start must
// still find the first.
TEST_F(OtherUserShellE2E, AnotherUsersLockFolderIsPassedOverAndASecondStartStillFindsTheFirst) {
    StartStand();
    BuildHost();
    env_.Set("XDG_RUNTIME_DIR", std::nullopt);
    const std::string shared = "/tmp/cvdownloader-" + std::to_string(::getuid());
    const std::string planted = "/tmp/made-through-a-link";
    ASSERT_EQ(cvdtest::RunCommand(AsOtherUser({"mkdir", "-m", "777", shared})).status, 0);
    ASSERT_EQ(
        cvdtest::RunCommand(AsOtherUser({"ln", "-s", planted, shared + "/UserLogGA4Mutex.lock"}))
            .status,
        0);
    const int holder = HoldLockAsOtherUser(shared + "/ORV_Downloader_185.lock");
    ASSERT_GT(holder, 0);

    auto first = Start();
    ASSERT_TRUE(OpensItsWindow(*first)) << "taken for a second instance\n" << AllLogs();
    auto second = Start();
    ASSERT_TRUE(second->Wait(60000));
    EXPECT_EQ(Events(*second), "toolkit down\n");
    EXPECT_TRUE(WaitUntil([&] { return HasEvent(*first, "front"); }));
    Touch("quit");
    ASSERT_TRUE(first->Wait(60000));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    EXPECT_FALSE(fs::exists(fs::symlink_status(planted))) << "created through the link";
    const std::string logs = AllLogs();
    EXPECT_NE(logs.find(" lock folder refused: " + shared + "/: owned by another user"),
              std::string::npos)
        << logs;
    EXPECT_NE(logs.find(" lock folder: " + shared + "-1/"), std::string::npos) << logs;
    EXPECT_NE(logs.find("switch to existed window"), std::string::npos);
}

// Another user who can write beside the installer must not switch AutoRun on for this one.
TEST_F(OtherUserShellE2E, AutoRunFromASettingsFileOfAnotherUserIsIgnored) {
    StartStand();
    BuildHost();
    Switches("AutoRun=1\n");
    const fs::path file = Host().parent_path() / "cv_downloader.cfg";
    ASSERT_EQ(::chown(file.c_str(), kOtherUser, kOtherUser), 0);
    auto first = Start();
    ASSERT_TRUE(OpensItsWindow(*first)) << AllLogs();
    auto second = Start();
    EXPECT_FALSE(OpensItsWindow(*second)) << "ran alongside the first";
    EXPECT_EQ(Events(*second), "toolkit down\n");
    Touch("quit");
    ASSERT_TRUE(first->Wait(60000));
    EXPECT_NE(AllLogs().find(" debug settings file ignored, another user could have written it: " +
                             file.string()),
              std::string::npos)
        << AllLogs();
}

}  // namespace
