// A toolkit's sub-programs: the wait for their list, three tries each, refused names.
#include "InstallThreadFixture.h"

namespace {

using namespace cvdtest;

class SubProgramDownloadsTest : public InstallThreadTest {};

TEST_F(SubProgramDownloadsTest, AToolkitDownloadsEachSubProgramOnItsShareOfTheBar) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "1048576");
    AddKit(3002, "2097152");
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(window.target->Progress(), (std::vector<std::uintptr_t>{32, 48, 64}));
    EXPECT_EQ(config.GetPackageSize(), 100 + 1048576 + 2097152);
    SubProgramInfo info;
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_TRUE(config.GetSubProgram(i, info));
        EXPECT_EQ(info.status, 1);
    }
    EXPECT_TRUE(events.InOrder(
        {"ga4|Download|3.DownloadingIsChToolKit|3001", "ga4|Download|4.DownFinshIsChToolKit|3001",
         "ga4|Download|3.DownloadingIsChToolKit|3002", "ga4|Download|4.DownFinshIsChToolKit|3002",
         "ga4|Download|Md5CheckStartIsChToolKit|3001",
         "ga4|Download|Md5CheckFinshIsChToolKit|3002"}));
}

TEST_F(SubProgramDownloadsTest, ASubProgramThatFailsThreeTimesIsLeftOut) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "10");
    flow.downloadResults = {Success, NetworkDown, NetworkDown, NetworkDown};
    EXPECT_EQ(Run(), install::kInstalled);
    SubProgramInfo info;
    config.GetSubProgram(0, info);
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(events.Matching("ga4|Other|FlowErrorIsChToolKitErrorCode|DL010").size(), 3u);
    EXPECT_TRUE(events.Matching("ga4|Download|Md5CheckStartIsChToolKit").empty());
    EXPECT_TRUE(
        log.Contains(" SubProgram Download Fail retcode: 9, 0(curindex)/1(allindex), 3(retry)/3"));
}

TEST_F(SubProgramDownloadsTest, AToolkitWaitsAtMostTenSecondsForItsList) {
    CConfigure::Instance().IsToolkit = true;
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(flow.sleptMs, 10 * 1000);
    EXPECT_EQ(flow.downloadedUrls.size(), 1u);
}

TEST_F(SubProgramDownloadsTest, ASubProgramWhoseNamesLeaveTheFolderIsNeverFetched) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    config.AddSubProgram({.pid = 7,
                          .download = L"https://cdn/x.exe",
                          .file_size = L"1",
                          .launch_name = L"x.exe",
                          .install_dir = L"../../etc",
                          .local_path = Wide(env.Root() / "x.exe")});
    EXPECT_EQ(Run(), install::kInstalled);
    EXPECT_EQ(flow.downloadedUrls.size(), 1u);
    EXPECT_TRUE(log.Contains(" refused server name install_dir: ../../etc"));
}

}  // namespace
