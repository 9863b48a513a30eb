// The main package's download: attempts, labels and the redirect-loop report.
#include "InstallThreadFixture.h"

namespace {

using namespace cvdtest;

class MainDownloadTest : public InstallThreadTest {};

TEST_F(MainDownloadTest, FailedAttemptsAreRetriedUpToFourTimes) {
    struct Row {
        std::deque<int> results;
        bool userRetried;
        std::string finishLabel;
        int downloads;
    } rows[] = {{{9, 9, 1}, false, "AutoRetry", 3},
                {{1}, true, "Retry", 1},
                {{11, 11, 11, 11}, false, "AutoRetry", 4}};
    for (const Row& row : rows) {
        flow = ScriptedFlow{};
        flow.downloadResults = row.results;
        CConfigure::Instance().UserRetried = row.userRetried;
        const std::uint32_t result = Run();
        EXPECT_EQ(flow.downloadedUrls.size(), static_cast<std::size_t>(row.downloads));
        EXPECT_TRUE(events.Has("ga4|Download|4.DownFinsh|" + row.finishLabel)) << row.finishLabel;
        if (row.results.back() == Success) {
            EXPECT_EQ(result, install::kInstalled);
            continue;
        }
        EXPECT_EQ(result, install::kStoppedOrFailed);
        const auto posted = window.target->All();
        ASSERT_FALSE(posted.empty());
        EXPECT_EQ(posted.back().message, WM_INSTALL_FAILED);
        EXPECT_EQ(posted.back().wParam, 11u);
        EXPECT_EQ(events.Matching("ga4|Other|DownErrorCode|error11").size(), 4u);
        EXPECT_EQ(events.Matching("ga4|Other|FlowError|DL029").size(), 4u);
        EXPECT_TRUE(events.Has("funnel|Download|MDownFail|"));
        EXPECT_TRUE(flow.mainRuns.empty());
    }
    EXPECT_TRUE(events.Has("ga4|Download|3.Downloading...|Retry"));
    EXPECT_TRUE(
        events.Has("funnel|Download|Downloading|DownloadingType=Manually Retry downloading"));
    EXPECT_TRUE(events.Has("ga4|Download|6.ProgramFinsh|Retry"));
}

TEST_F(MainDownloadTest, ARedirectLoopIsReportedToTheVendor) {
    flow.downloadResults = {TooManyRedirects, Success};
    CConfigure::Instance().SetQueryUrl("https://u/q?a=1&b=2");
    EXPECT_EQ(Run(), install::kInstalled);
    ASSERT_EQ(flow.exceptionBodies.size(), 1u);
    EXPECT_TRUE(
        flow.exceptionBodies[0].starts_with("pid=0&type=2&exception_code=Url_Too_Many_Redirects&"
                                            "other=https://u/q?a=1%26b=2,https://cdn/"));
    EXPECT_TRUE(log.Contains(" Send error report1, response is {\"code\":0}, return 0"));
}

}  // namespace
