// The waiting animation window: frames, the product start on its own thread, the failure box.
#include <gtest/gtest.h>

#include <atomic>

#include "WindowFixture.h"
#include "ui/CAlientWnd.h"
#include "ui/MessageBoxWnd.h"

namespace {

TEST(WaitingAnimation, FramesCycleThroughTwentyOnePictures) {
    EXPECT_EQ(CAlientWnd::FramePicture(0), "skin/gif/bg00.png");
    EXPECT_EQ(CAlientWnd::FramePicture(7), "skin/gif/bg07.png");
    EXPECT_EQ(CAlientWnd::FramePicture(20), "skin/gif/bg20.png");
    EXPECT_EQ(CAlientWnd::FramePicture(21), "skin/gif/bg00.png");
    EXPECT_EQ(CAlientWnd::FramePicture(44), "skin/gif/bg02.png");
}

class WaitingWindow : public uitest::WindowTest {};

TEST_F(WaitingWindow, AStartedProductClosesTheWindowAfterTheWaitAndTheFramesRun) {
    std::atomic<int> starts{0};
    std::wstring exe, args;
    std::int32_t admin = -1;
    CAlientWnd::StartData data{L"\"/opt/Zorvik/zorvik\"", L"--first", 1, L"Zorvik", 1, 0};
    const auto before = CAlientWnd::FrameCounter();
    uitest::BoxAnswerer noBox("btn_yes");
    CAlientWnd window(data, [&](const std::wstring& e, std::int32_t a, const std::wstring& r) {
        exe = e;
        admin = a;
        args = r;
        ++starts;
        return 0;
    });
    window.ShowModalWindow();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(exe, L"\"/opt/Zorvik/zorvik\"");
    EXPECT_EQ(args, L"--first");
    EXPECT_EQ(admin, 1);
    EXPECT_TRUE(noBox.Kinds().empty());
    EXPECT_GT(CAlientWnd::FrameCounter(), before);
    EXPECT_FALSE(window.IsCreated());
}

TEST_F(WaitingWindow, AFailedStartAsksForTheDesktopShortcutThenCloses) {
    uitest::BoxAnswerer confirm("btn_yes");
    CAlientWnd window({L"\"/missing\"", L"", 0, L"Zorvik", 30, 0},
                      [](const std::wstring&, std::int32_t, const std::wstring&) { return 2; });
    window.ShowModalWindow();  // returns at once after the box, not after 30 s
    EXPECT_EQ(confirm.Kinds(), std::vector<int>{MSG_CLICK_SHORTCUT});
    EXPECT_FALSE(window.IsCreated());
}

}  // namespace
