// The attempt's first phase: the server answer applied and the folder accepted.
#include "InstallThreadFixture.h"
#include "install/InstallPathCheck.h"
#include "install/PendingRename.h"
#include "platform/Registry.h"

namespace {

using namespace cvdtest;

std::string Narrow(const std::wstring& text) { return FuntionImpl::Utf16ToUtf8(text); }

class FolderRecheckTest : public InstallThreadTest {};

TEST_F(FolderRecheckTest, ConfigurationFromTheDocumentIsFetchedAgainAndTheFolderRechecked) {
    CConfigure& config = CConfigure::Instance();
    config.SetLoadSource(2);
    flow.md5Result = 0;  // the document's digest would not match: it must not be checked
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(1); };
    // Leftovers of an earlier run are removed before the download.
    std::string seenBefore;
    fs::create_directories(PathOf(config.GetWorkDirectory()));
    std::ofstream(PathOf(Package())) << "old";
    std::ofstream(PathOf(Package() + L".xml")) << "old";
    auto seams = flow.Seams();
    auto download = seams.download;
    seams.download = [&](const std::wstring& url, const std::wstring& path, std::string& cdn,
                         bool report, bool checkMin, IDownloadProgress* progress) {
        seenBefore =
            (fs::exists(PathOf(path)) || fs::exists(PathOf(path + L".xml"))) ? "left" : "clean";
        return download(url, path, cdn, report, checkMin, progress);
    };
    EXPECT_EQ(install::InstallThreadFunc(window, std::move(seams)), install::kInstalled);
    EXPECT_EQ(flow.queries, 1);
    EXPECT_EQ(seenBefore, "clean");
    EXPECT_EQ(Messages(),
              (std::vector<std::uint32_t>{WM_INSTALL_RECHECK_PATH, WM_INSTALL_VERIFYING}));
    EXPECT_TRUE(events.Matching("ga4|Other|FlowError").empty());
    EXPECT_TRUE(log.Contains("cfg from file , get again"));
    EXPECT_TRUE(log.Contains(" Configure Load From File, clearAppData Before Download! "));
}

// The re-check numbers the folder (a reboot will replace files in it); the product goes where
// the re-check left it, where "Use Now" will look for it.
TEST_F(FolderRecheckTest, TheAttemptInstallsIntoTheFolderAsTheRecheckLeftIt) {
    CConfigure::Instance().SetLoadSource(2);
    const std::wstring chosen = window.installPath;
    platform::RegistryStore::Machine().WriteString(platform::RegistryRoot::LocalMachine,
                                                   install::kSessionManagerKey,
                                                   install::kPendingRenameValue, chosen + AsLastPart(L"a.so"));
    window.target->onRecheck = [this] {
        if (install::IsCorrectInstallPath(window)) CConfigure::Instance().SetInstallState(1);
    };
    EXPECT_EQ(Run(), install::kInstalled);
    ASSERT_EQ(window.installPath, chosen + L" 1");
    ASSERT_EQ(flow.mainRuns.size(), 1u);
    EXPECT_TRUE(flow.mainRuns[0].ends_with(L"|" + chosen + L" 1")) << Narrow(flow.mainRuns[0]);
    EXPECT_EQ(flow.subRuns, std::vector<std::wstring>{chosen + L" 1"});
}

TEST_F(FolderRecheckTest, ARecheckThatNeverAnswersFailsAfterTwentyWaits) {
    CConfigure::Instance().SetLoadSource(2);
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(flow.sleptMs, 20 * 200);
    const auto posted = window.target->All();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].message, WM_INSTALL_FAILED);
    EXPECT_EQ(posted[1].wParam, 0u);
    EXPECT_TRUE(log.Contains("install path error, code is 0"));
}

TEST_F(FolderRecheckTest, ARefusedRecheckFailsWithoutWaitingOut) {
    CConfigure::Instance().SetLoadSource(2);
    window.target->onRecheck = [] { CConfigure::Instance().SetInstallState(2); };
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_EQ(flow.sleptMs, 0);
    EXPECT_TRUE(log.Contains("install path error, code is 2"));
}

TEST_F(FolderRecheckTest, ShutDownStopsTheAttemptSilently) {
    flow.onQuery = [] { CConfigure::Instance().SetIsExiting(true); };
    CConfigure::Instance().SetLoadSource(2);
    EXPECT_EQ(Run(), install::kStoppedOrFailed);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(log.Contains("force break thread !!!"));
}

}  // namespace
