// A crash under Windows end to end: the fault leaves a minidump beside the log, the hidden
// restart packs log and dump and uploads them to the vendor stand's log upload service (on the
// Linux side), and the archive is deleted once the service took it.
#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "ServerProcess.h"
#include "TempEnv.h"
#include "platform/Process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

template <class Condition>
bool WaitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& pattern) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (std::regex_match(cvdtest::PathText(it->path().filename()), std::regex(pattern)))
            found.push_back(it->path());
    return found;
}

std::set<std::string> ZipEntries(const fs::path& path) {
    std::set<std::string> names;
    int error = 0;
    zip_t* archive = zip_open(cvdtest::PathText(path).c_str(), ZIP_RDONLY, &error);
    if (!archive) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.insert(zip_get_name(archive, i, 0));
    zip_close(archive);
    return names;
}

TEST(CrashUpload, AFaultLeavesAMinidumpAndTheRestartedProcessUploadsIt) {
    cvdtest::TempEnv env;
    const fs::path logs = env.Root() / "logs";
    const fs::path state = env.Root() / "stand";
    fs::create_directories(logs);
    const fs::path catalogue = env.WriteFile(
        "catalogue.json", R"({"salt": "e2e", "country": "US", "products": [], "privacy": {},
                              "banners": [], "kits": {}})");
    cvdtest::ServerProcess stand({"python3", CVD_SOURCE_DIR "/tools/vendor-stand/vendorservice.py",
                                  "--port", "0", "--state", cvdtest::PathText(state), "--cdn",
                                  "https://127.0.0.1:9", "--catalogue",
                                  cvdtest::PathText(catalogue), "--lifetime", "600"});
    ASSERT_TRUE(stand.Started());
    env.Set("CVD_TEST_LOG_DIR", cvdtest::PathText(logs));
    env.Set("CVD_TEST_UPLOAD", "localhost:" + std::to_string(stand.Port()));

    platform::ProcessOptions options;
    options.program = fs::path(CVD_CRASH_HOST).wstring();
    auto host = platform::Process::Start(options);
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->Wait(120000));
    EXPECT_NE(host->ExitCode(), 0) << "ended normally instead of by its fault";

    const std::string logName = "zorvikvideoconverter_zorvik_1765432100000.log";
    ASSERT_TRUE(fs::exists(logs / (logName + ".dmp")));
    EXPECT_EQ(cvdtest::ReadFile(logs / (logName + ".dmp")).substr(0, 4), "MDMP");
    ASSERT_TRUE(WaitUntil([&] { return !FilesIn(state / "uploads", ".*").empty(); }))
        << cvdtest::ReadFile(logs / logName);
    ASSERT_TRUE(WaitUntil([&] {
        return cvdtest::ReadFile(logs / logName).find("crash report upload: 0") !=
               std::string::npos;
    })) << cvdtest::ReadFile(logs / logName);
    const auto uploads = FilesIn(state / "uploads", ".*");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_TRUE(std::regex_search(cvdtest::PathText(uploads[0].filename()),
                                  std::regex(R"(_zorvikvideoconverter_zorvik_\d{17}\.zip$)")))
        << uploads[0];
    EXPECT_EQ(ZipEntries(uploads[0]), (std::set<std::string>{logName, logName + ".dmp"}));
    // Removed after the upload's log line, so it may still be there for a moment.
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(logs, R"(\d{17}\.zip)").empty(); }))
        << "the archive stays after upload";
}

}  // namespace
