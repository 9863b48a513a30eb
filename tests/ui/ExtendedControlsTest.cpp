#include <gtest/gtest.h>

#include "SkinFixture.h"
#include "toolkit/Builder.h"
#include "toolkit/Render.h"
#include "ui/CControlExUI.h"
#include "ui/COptionExUI.h"
#include "ui/CProgressExUI.h"
#include "ui/SkinPackage.h"

namespace {

using toolkit::Pixels;
using toolkit::Rect;

class ExtendedControls : public ::testing::Test {
protected:
    void SetUp() override { LoadSkinPackage(); }

    toolkit::Control* Build(const std::string& xml, toolkit::Size size) {
        toolkit::Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(xml, "ext.xml"));
        manager.SetClientSize(size);
        manager.LayoutIfNeeded();
        return manager.Root();
    }
    Pixels Paint(toolkit::Size size) { return toolkit::RenderToPixels(manager, size); }

    toolkit::UiManager manager;
};

TEST_F(ExtendedControls, ElementsResolveToTheRegisteredClasses) {
    Build(
        R"(<Window><VerticalLayout><ProgressEx name="p"/><OptionEx name="o"/><ControlEx name="c"/></VerticalLayout></Window>)",
        {100, 100});
    const struct {
        const char* name;
        const char* cls;
        const char* iface;
    } cases[] = {{"p", "ProgressExUI", "ProgressEx"},
                 {"o", "OptionExUI", "OptionEx"},
                 {"c", "ControlExUI", "ControlEx"}};
    for (const auto& c : cases) {
        toolkit::Control* control = manager.FindControl(c.name);
        ASSERT_TRUE(control) << c.name;
        EXPECT_EQ(control->GetClass(), c.cls);
        EXPECT_EQ(control->GetInterface(c.iface), control);
        EXPECT_EQ(control->GetInterface("Control"), control);  // other names go to the base
    }
}

// Opaque pixels of roughly `rgb`.
bool IsColour(const Pixels& p, int x, int y, std::uint32_t rgb) {
    const std::uint32_t c = p.At(x, y);
    int diff = 0;
    for (int shift : {16, 8, 0})
        diff += std::abs(int((c >> shift) & 255) - int((rgb >> shift) & 255));
    return p.Alpha(x, y) == 255 && diff < 40;
}

TEST_F(ExtendedControls, BadgesAreDrawnWithTheirOffsetsOnAnySize) {
    // A check mark on 80x80 and on 120x100, an X on 80x80; border colour, 6 px wide.
    Build(R"(<Window><HorizontalLayout bkcolor="#FFFFFFFF">
        <ControlEx name="logo_install_ok" width="80" height="80" bordercolor="#FF0000FF"/>
        <ControlEx name="logo_install_fail" width="80" height="80" bordercolor="#FF0000FF"/>
        <VerticalLayout width="120" height="100"><ControlEx name="logo_install_ok" bordercolor="#FF0000FF"/></VerticalLayout>
      </HorizontalLayout></Window>)",
          {280, 100});
    const Pixels p = Paint({280, 100});
    // Check mark: the corner point (l+38, b-27.08) and midpoints of both strokes.
    EXPECT_TRUE(IsColour(p, 38, 52, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 31, 47, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 47, 40, 0x0000FF));
    EXPECT_FALSE(IsColour(p, 20, 20, 0x0000FF));
    // The same offsets from the edges of a bigger control: corner at (160+38, 100-27).
    EXPECT_TRUE(IsColour(p, 198, 72, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 160 + 120 - 24, 27, 0x0000FF));
    // X: centre and both diagonals; square caps reach past the end points.
    EXPECT_TRUE(IsColour(p, 120, 40, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 80 + 26, 26, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 80 + 54, 26, 0x0000FF));
    EXPECT_TRUE(IsColour(p, 80 + 24, 24, 0x0000FF));
    EXPECT_FALSE(IsColour(p, 80 + 40, 10, 0x0000FF));
}

TEST_F(ExtendedControls, SettingsChevronPointsUpWhenSelected) {
    auto* root = Build(
        R"(<Window><HorizontalLayout bkcolor="#FFFFFFFF"><OptionEx name="install_setting" width="100" height="20" textcolor="#FFFF0000"/></HorizontalLayout></Window>)",
        {100, 20});
    (void)root;
    const Pixels down = Paint({100, 20});
    EXPECT_TRUE(IsColour(down, 92, 10, 0xFF0000) ||
                IsColour(down, 92, 11, 0xFF0000));  // tip at (r-8, t+11)
    EXPECT_FALSE(IsColour(down, 92, 6, 0xFF0000));
    manager.FindControl("install_setting")->As<COptionExUI>("OptionEx")->Selected(true, false);
    const Pixels up = Paint({100, 20});
    EXPECT_TRUE(IsColour(up, 92, 6, 0xFF0000) ||
                IsColour(up, 92, 7, 0xFF0000));  // tip at (r-8, t+6)
    EXPECT_FALSE(IsColour(up, 92, 11, 0xFF0000));
}

// The columns [first, last] where `a` and `b` differ, or where `a` shows `rgb` when `b` is empty.
std::pair<int, int> Columns(const Pixels& a, const Pixels* b, std::uint32_t rgb = 0) {
    std::pair<int, int> span{a.width, -1};
    for (int x = 0; x < a.width; ++x)
        for (int y = 0; y < a.height; ++y)
            if (b ? a.At(x, y) != b->At(x, y) : IsColour(a, x, y, rgb)) {
                span = {std::min(span.first, x), std::max(span.second, x)};
                break;
            }
    return span;
}

// As the settings row has it: the label kept 20 pixels from the text's end, where the chevron is.
TEST_F(ExtendedControls, SettingsChevronSitsAtTheEndOfItsLabelInEitherReadingDirection) {
    for (const bool rightToLeft : {false, true}) {
        SCOPED_TRACE(rightToLeft ? "right to left" : "left to right");
        manager.SetRightToLeft(rightToLeft);
        Build(
            R"(<Window><HorizontalLayout bkcolor="#FFFFFFFF"><OptionEx name="install_setting" width="130" height="20" text="Settings" textcolor="#FFFF0000" align="right" textpadding="0,0,20,0"/></HorizontalLayout></Window>)",
            {130, 20});
        const Pixels labelled = Paint({130, 20});
        manager.FindControl("install_setting")->SetText("");
        const Pixels bare = Paint({130, 20});
        const auto text = Columns(labelled, &bare);
        const auto chevron = Columns(bare, nullptr, 0xFF0000);
        ASSERT_LE(text.first, text.second);
        ASSERT_LE(chevron.first, chevron.second);
        const int gap = rightToLeft ? text.first - chevron.second : chevron.first - text.second;
        EXPECT_GE(gap, 3);
        EXPECT_LE(gap, 10);
    }
}

TEST_F(ExtendedControls, UnselectedCarouselDotIsNarrowedByFiveOnEachSide) {
    Build(R"(<Window><HorizontalLayout>
        <OptionEx name="d0" group="image_play_option" width="16" height="6" selected="true" bkcolor="#7F8372FF" selectedbkcolor="#FF8372FF" colorround="3,3"/>
        <OptionEx name="d1" group="image_play_option" width="16" height="6" bkcolor="#7F8372FF" selectedbkcolor="#FF8372FF" colorround="3,3"/>
      </HorizontalLayout></Window>)",
          {32, 6});
    const Pixels p = Paint({32, 6});
    EXPECT_EQ(p.At(8, 3), 0xFF8372FFu);  // the selected bar is 16 wide
    EXPECT_EQ(p.Alpha(4, 3), 255);
    EXPECT_EQ(p.Alpha(16 + 3, 3), 0);  // the dot starts 5 in
    EXPECT_EQ(p.Alpha(16 + 12, 3), 0);
    EXPECT_GT(p.Alpha(16 + 8, 3), 100);
    EXPECT_LT(p.Alpha(16 + 8, 3), 255);
}

class ProgressHighlight : public ExtendedControls {
protected:
    void SetUp() override {
        ExtendedControls::SetUp();
        skin.AddPicture("skin/bar.png", 40, 6, 0xFFFFFFFF);
        ASSERT_TRUE(skin.Install());
        Build(
            R"(<Window><VerticalLayout><ProgressEx name="install_progress" height="6" min="0" max="100" value="0"
                  forecolor="#FF8372FF" moveforeimage="skin\bar.png"/></VerticalLayout></Window>)",
            {200, 6});
        bar = manager.FindControl("install_progress")->As<CProgressExUI>("ProgressEx");
        ASSERT_TRUE(bar);
    }
    bool Timer() const { return manager.HasTimer(bar, CProgressExUI::kMoveTimerId); }

    toolkit::SkinFixture skin;
    CProgressExUI* bar = nullptr;
};

TEST_F(ProgressHighlight, NothingMovesAtTheMinimum) {
    Paint({200, 6});
    EXPECT_FALSE(bar->HasMoveImage());
    EXPECT_FALSE(Timer());
}

TEST_F(ProgressHighlight, MovesEveryTickByValueTimesTwentyOverTheRange) {
    bar->SetValue(40);  // filled 80 px
    Paint({200, 6});
    EXPECT_TRUE(bar->HasMoveImage());
    EXPECT_EQ(manager.TimerInterval(bar, CProgressExUI::kMoveTimerId), 100u);
    EXPECT_EQ(bar->MoveRect(), (Rect{0, 0, 40, 6}));
    manager.FireTimer(bar, CProgressExUI::kMoveTimerId);
    Paint({200, 6});
    EXPECT_EQ(bar->MoveRect(), (Rect{8, 0, 48, 6}));
}

TEST_F(ProgressHighlight, RestartsWhenLessThanHalfTheImageStillFits) {
    bar->SetValue(40);
    Paint({200, 6});
    int lefts[8];
    for (int& left : lefts) {
        manager.FireTimer(bar, CProgressExUI::kMoveTimerId);
        Paint({200, 6});
        left = bar->MoveRect().left;
    }
    // 8, 16, ..., 56 (24 px wide: still drawn), 64 leaves 16 < 20: back to 0.
    const int expected[8] = {8, 16, 24, 32, 40, 48, 56, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(lefts[i], expected[i]) << i;
}

TEST_F(ProgressHighlight, ReachingTheMaximumStopsTheTimerAndReleasesTheImage) {
    bar->SetValue(50);
    Paint({200, 6});
    ASSERT_TRUE(Timer());
    bar->SetValue(100);
    Paint({200, 6});
    EXPECT_FALSE(Timer());
    EXPECT_FALSE(bar->HasMoveImage());
    EXPECT_EQ(bar->MoveRect(), Rect{});
}

TEST_F(ProgressHighlight, HighlightIsDrawnOverTheFilledPart) {
    bar->SetValue(50);
    const Pixels p = Paint({200, 6});
    EXPECT_EQ(p.At(10, 3), 0xFFFFFFFFu);  // highlight
    EXPECT_EQ(p.At(60, 3), 0xFF8372FFu);  // fore colour
    EXPECT_EQ(p.Alpha(150, 3), 0);        // not filled
}

// Arabic reads from the right: the bar fills, and its highlight starts, at the right edge.
TEST_F(ProgressHighlight, RightToLeftWindowFillsFromTheRight) {
    manager.SetRightToLeft(true);
    bar->SetValue(50);
    const Pixels p = Paint({200, 6});
    EXPECT_EQ(bar->MoveRect(), (Rect{0, 0, 40, 6}));  // from the start edge
    EXPECT_EQ(p.At(190, 3), 0xFFFFFFFFu);             // highlight
    EXPECT_EQ(p.At(140, 3), 0xFF8372FFu);             // fore colour
    EXPECT_EQ(p.Alpha(50, 3), 0);                     // not filled
}

}  // namespace
