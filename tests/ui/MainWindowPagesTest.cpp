// Every page of the main window fits the window it is shown in, in English and in Arabic: the
// framed box of the settings page (and of the result views on it) and the running page's
// progress row are laid out within the window's height, so no border or control is cut.
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "toolkit/Container.h"

namespace uitest {
namespace {

constexpr int kArabic = 8;

class MainWindowPages : public WindowTest {
protected:
    // Drives a fresh window in `language` to `page` and checks what it shows against its height.
    void ExpectPageFits(const char* page, int language) {
        SCOPED_TRACE(std::string(page) + (language == kArabic ? " in Arabic" : " in English"));
        auto window = OpenWindow(language);
        uipages::DriveTo(*window, *uipages::ParsePage(page));
        const int height = window->ClientSize().cy;
        auto* tabs = window->FindControl<toolkit::TabLayoutUI>("main_tablayout", "TabLayout");
        ASSERT_NE(tabs, nullptr);
        const char* shown = tabs->GetCurSel() == 0 ? "backgroudlayout" : "install_progress";
        const toolkit::Control* view = window->FindControl(shown);
        ASSERT_NE(view, nullptr);
        EXPECT_LE(view->GetPos().bottom, height) << shown << " is cut by the window";
        window->Close();
        Settle();
    }
};

TEST_F(MainWindowPages, SettingsLicenceAndRunningPagesFitTheirWindow) {
    for (int language : {0, kArabic})
        for (const char* page : {"settings", "licence", "running:40", "verifying", "installing"})
            ExpectPageFits(page, language);
}

// The result views sit in the settings page's 371-pixel box, while the running page before them
// shrinks the window to 360 pixels: showing a result view must give the height back.
TEST_F(MainWindowPages, ResultViewsFitTheirWindow) {
    for (int language : {0, kArabic})
        for (const char* page : {"success", "failure"}) ExpectPageFits(page, language);
}

// The box's one-pixel frame is the window's edge where no shadow is drawn: the views inside it
// paint their backgrounds within the frame, so it shows on all four sides of every view.
TEST_F(MainWindowPages, ViewsInTheFramedBoxLeaveItsFrameVisible) {
    for (int language : {0, kArabic})
        for (const char* page : {"settings", "success", "failure"}) {
            SCOPED_TRACE(std::string(page) + (language == kArabic ? " in Arabic" : " in English"));
            auto window = OpenWindow(language);
            uipages::DriveTo(*window, *uipages::ParsePage(page));
            const toolkit::Control* box = window->FindControl("backgroudlayout");
            const toolkit::Control* views = window->FindControl("page_layout");
            ASSERT_NE(box, nullptr);
            ASSERT_NE(views, nullptr);
            const auto outer = box->GetPos();
            const auto inner = views->GetPos();
            EXPECT_GT(inner.left, outer.left);
            EXPECT_GT(inner.top, outer.top);
            EXPECT_LT(inner.right, outer.right);
            EXPECT_LT(inner.bottom, outer.bottom);
            window->Close();
            Settle();
        }
}

}  // namespace
}  // namespace uitest
