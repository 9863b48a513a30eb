#include "InstallTestSupport.h"
#include "install/DownloadSummary.h"

namespace {

using namespace cvdtest;

class DownloadSummaryTest : public InstallTest {};

TEST_F(DownloadSummaryTest, TimeBandsAreTenSecondsWide) {
    const std::pair<int, const char*> rows[] = {
        {0, "0s"},        {1, "[1~10s]"},   {5, "[1~10s]"},   {10, "[1~10s]"},
        {11, "[11~20s]"}, {25, "[21~30s]"}, {30, "[21~30s]"}, {301, "[301~310s]"}};
    for (const auto& [seconds, band] : rows)
        EXPECT_EQ(install::DownloadTimeBand(seconds), band) << seconds;
}

TEST_F(DownloadSummaryTest, SpeedIsMegabytesPerSecondEvenForAnInstantDownload) {
    EXPECT_EQ(install::DownloadSpeedText(10485760, 2000), "5.00MB/s");
    EXPECT_EQ(install::DownloadSpeedText(1048576, 0), "1000.00MB/s");
}

}  // namespace
