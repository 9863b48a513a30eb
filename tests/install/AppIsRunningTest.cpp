#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/AppIsRunning.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace {

using namespace cvdtest;
using platform::RunningProcess;

class AppIsRunningTest : public InstallTest {};

TEST_F(AppIsRunningTest, ComparesWholeNamesWithCaseAndNeverTheFirstEntry) {
    CConfigure::Instance().SetProcess_name(L"Product.exe");
    struct Row {
        const char* why;
        std::vector<RunningProcess> processes;
        bool mayInstall;
    } rows[] = {
        {"no match", {{1, L"init", L""}, {7, L"bash", L""}}, true},
        {"match", {{1, L"init", L""}, {9, L"Product.exe", L"/opt/p/Product.exe"}}, false},
        {"case differs", {{1, L"init", L""}, {9, L"product.exe", L""}}, true},
        {"longer name", {{1, L"init", L""}, {9, L"Product.exe.old", L""}}, true},
        {"first entry is skipped", {{9, L"Product.exe", L""}}, true},
    };
    for (const Row& row : rows) {
        window.boxes.clear();
        EXPECT_EQ(install::AppIsRunning(window, row.processes), row.mayInstall) << row.why;
        EXPECT_EQ(window.boxes.empty(), row.mayInstall) << row.why;
    }
}

TEST_F(AppIsRunningTest, AnUnreadableProcessListRefusesWithoutABox) {
    EXPECT_FALSE(install::AppIsRunning(window, std::nullopt));
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(AppIsRunningTest, FindsARunningProcessByItsExecutableName) {
    CConfigure::Instance().SetProcess_name(
        platform::FsPath(platform::ModulePath()).filename().wstring());
    EXPECT_FALSE(install::AppIsRunning(window));
    EXPECT_EQ(window.boxes, std::vector<int>{3});
    EXPECT_TRUE(log.Contains("check app runing"));
}

}  // namespace
