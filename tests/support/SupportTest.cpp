// The shared fixtures themselves, on every system the tests run on: a private home that names
// the user's folders and gives them back, servers started for a test (on the Linux side when the
// test is a Windows program) and commands with their output and status.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Command.h"
#include "ServerProcess.h"
#include "TempEnv.h"
#include "TestSystem.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The body of a GET, or nothing when the request failed.
std::optional<std::string> Get(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK ? std::optional<std::string>(body) : std::nullopt;
}

// `path` without a trailing separator.
fs::path Folder(const fs::path& path) { return path.has_filename() ? path : path.parent_path(); }

TEST(TempEnv, PointsEveryUserFolderIntoItsRootAndGivesTheOldValuesBack) {
    std::vector<std::pair<std::string, std::optional<std::string>>> before;
    for (const auto& variable : cvdtest::UserFolderVariables())
        before.emplace_back(variable.name, cvdtest::GetVariable(variable.name));
    {
        cvdtest::TempEnv env;
        for (const auto& variable : cvdtest::UserFolderVariables()) {
            SCOPED_TRACE(variable.name);
            const auto value = cvdtest::GetVariable(variable.name);
            ASSERT_TRUE(value);
            EXPECT_EQ(Folder(cvdtest::Utf8Path(*value)), env.Root() / variable.folder);
        }
        EXPECT_EQ(cvdtest::GetVariable("CVD_MACHINE_STATE_DIR"),
                  cvdtest::PathText(env.Root() / "machine"));
        EXPECT_EQ(Folder(fs::temp_directory_path()), env.Root() / "tmp");
    }
    for (const auto& [name, value] : before) EXPECT_EQ(cvdtest::GetVariable(name), value) << name;
}

TEST(TempEnv, SetVariablesAndFilesKeepTheirUtf8Text) {
    cvdtest::TempEnv env;
    env.Set("CVD_SUPPORT_TEST", "Привет, 世界");
    EXPECT_EQ(cvdtest::GetVariable("CVD_SUPPORT_TEST"), "Привет, 世界");
    env.Set("CVD_SUPPORT_TEST", std::nullopt);
    EXPECT_FALSE(cvdtest::GetVariable("CVD_SUPPORT_TEST"));
    const fs::path file = env.WriteFile("Папка/文件 😀.txt", "text");
    EXPECT_EQ(file, env.Root() / cvdtest::Utf8Path("Папка") / cvdtest::Utf8Path("文件 😀.txt"));
    EXPECT_EQ(cvdtest::ReadFile(file), "text");
}

TEST(ServerProcess, AServerAnswersOnItsPortUntilItIsStopped) {
    cvdtest::ServerProcess server({"python3", cvdtest::SupportDir() + "/faultserver.py"});
    ASSERT_TRUE(server.Started());
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/ok/1000";
    EXPECT_EQ(Get(url).value_or("").size(), 1000u);
    server.Stop();
    EXPECT_FALSE(server.Started());
    EXPECT_FALSE(Get(url));
}

// The folder a test made is the folder the server serves, whatever system the test runs on.
TEST(ServerProcess, AServerServesAFolderOfTheTestNamedInCyrillic) {
    cvdtest::TempEnv env;
    env.WriteFile("сайт/файл.bin", std::string(5000, 'z'));
    cvdtest::ServerProcess stand(
        {"python3", cvdtest::SupportDir() + "/cdn/cdn_stand.py", "--root",
         cvdtest::PathText(env.Root() / cvdtest::Utf8Path("сайт")), "--prefix",
         cvdtest::PathText(env.Root() / "nginx" / "new"), "--lifetime", "120"},
        30000);
    ASSERT_TRUE(stand.Started());
    const auto lines = stand.DrainOutput();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("HTTP_PORT ", 0), 0u) << lines.front();
    const std::string name = "%D1%84%D0%B0%D0%B9%D0%BB.bin";  // файл.bin
    EXPECT_EQ(Get("https://localhost:" + std::to_string(stand.Port()) + "/" + name),
              std::string(5000, 'z'));
    EXPECT_TRUE(fs::exists(env.Root() / "nginx" / "new" / "access.log"));
}

// Run by the next test through RunCommand.
TEST(RunCommandChild, DISABLED_PrintsAndFails) {
    if (!std::getenv("CVD_RUN_COMMAND_CHILD")) GTEST_SKIP();
    std::printf("printed by the child\n");
    FAIL() << "failed on purpose";
}

TEST(RunCommand, GivesWhatAProgramPrintedAndItsExitStatus) {
    cvdtest::TempEnv env;
    env.Set("CVD_RUN_COMMAND_CHILD", "1");
    const std::string self = cvdtest::PathText(platform::FsPath(platform::ModulePath()));
    const auto failed = cvdtest::RunCommand(
        {self, "--gtest_also_run_disabled_tests",
         "--gtest_filter=RunCommandChild.DISABLED_PrintsAndFails", "--gtest_color=no"});
    EXPECT_EQ(failed.status, 1) << failed.output;
    EXPECT_NE(failed.output.find("printed by the child"), std::string::npos) << failed.output;
    const auto listed =
        cvdtest::RunCommand({self, "--gtest_list_tests", "--gtest_filter=RunCommand.*"});
    EXPECT_EQ(listed.status, 0) << listed.output;
    EXPECT_NE(listed.output.find("GivesWhatAProgramPrintedAndItsExitStatus"), std::string::npos);
    EXPECT_EQ(cvdtest::RunCommand({"cvd-no-such-program"}).status, -1);
}

}  // namespace
