// The download progress receiver: which share of the bar a download covers, and what it posts.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "TempEnv.h"
#include "config/CConfigure.h"
#include "content/MessageTarget.h"
#include "install/DownloadProgressPoster.h"
#include "install/InstallWindow.h"
#include "telemetry/SingleUserLog.h"

namespace {

using install::ProgressPercentOf;
using install::ProgressSpan;
using install::ProgressSpanOf;

class RecordingTarget : public IMessageTarget {
public:
    void PostCustomMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        std::lock_guard lock(mutex);
        posts.emplace_back(message, wParam);
    }
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> posts;
};

TEST(DownloadProgress, EachDownloadCoversItsShareOfTheBar) {
    const struct {
        bool toolkit;
        int current;
        std::size_t count;
        ProgressSpan span;
    } rows[] = {
        {false, -1, 0, {64, 0}}, {false, 0, 2, {64, 0}}, {true, -1, 2, {32, 0}},
        {true, 0, 1, {32, 32}},  {true, 0, 2, {16, 32}}, {true, 1, 2, {16, 48}},
        {true, 2, 3, {64, 0}},   {true, 1, 1, {64, 0}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProgressSpanOf(row.toolkit, row.current, row.count), row.span)
            << row.toolkit << " " << row.current << "/" << row.count;
}

TEST(DownloadProgress, AToolkitWithTwoSubProgramsMapsTo0_32_48_64) {
    const std::int64_t total = 1000;
    const ProgressSpan main = ProgressSpanOf(true, -1, 2), first = ProgressSpanOf(true, 0, 2),
                       second = ProgressSpanOf(true, 1, 2);
    EXPECT_EQ(ProgressPercentOf(0, total, main), 0);
    EXPECT_EQ(ProgressPercentOf(total, total, main), 32);
    EXPECT_EQ(ProgressPercentOf(0, total, first), 32);
    EXPECT_EQ(ProgressPercentOf(total, total, first), 48);
    EXPECT_EQ(ProgressPercentOf(0, total, second), 48);
    EXPECT_EQ(ProgressPercentOf(total, total, second), 64);
    // Truncated toward zero; never negative; an unknown size stays at the start.
    EXPECT_EQ(ProgressPercentOf(999, total, {64, 0}), 63);
    EXPECT_EQ(ProgressPercentOf(-5, total, {64, 0}), 0);
    EXPECT_EQ(ProgressPercentOf(10, 0, {16, 48}), 48);
}

TEST(DownloadProgress, PostsThePercentAndReportsThePackageSizeOnce) {
    // The report's sender takes its named locks in the user's folders: these, not the machine's.
    cvdtest::TempEnv env;
    CConfigure& config = CConfigure::Instance();
    config.ResetForTesting();
    config.PackageSizeReported = false;
    auto target = std::make_shared<RecordingTarget>();
    install::DownloadProgressPoster poster(target);
    poster.onDownloadProgress(50, 100, 0);
    poster.onDownloadProgress(100, 100, 0);
    EXPECT_TRUE(config.PackageSizeReported);
    ASSERT_EQ(target->posts.size(), 2u);
    EXPECT_EQ(target->posts[0], std::make_pair(WM_INSTALL_PROGRESS, std::uintptr_t{32}));
    EXPECT_EQ(target->posts[1], std::make_pair(WM_INSTALL_PROGRESS, std::uintptr_t{64}));
    // The size report went to the sender thread: let it finish before the process exits, or
    // its send runs on while the logger and the other statics are torn down.
    CSingleUserLog::Instance().WaitThreadForExit();
    config.ResetForTesting();
}

}  // namespace
