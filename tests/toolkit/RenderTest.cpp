#include <gtest/gtest.h>

#include <vector>

#include "SkinFixture.h"
#include "toolkit/Builder.h"
#include "toolkit/Combo.h"
#include "toolkit/Label.h"
#include "toolkit/Render.h"

namespace toolkit {
namespace {

Pixels Render(const std::string& xml, Size size) {
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(xml, "render.xml"));
    return RenderToPixels(manager, size);
}

std::uint32_t Rgb(std::uint32_t argb) { return argb & 0xFFFFFF; }

TEST(Render, RoundedFillLeavesItsCornersTransparent) {
    const Pixels p =
        Render(R"(<Window><HorizontalLayout><Button name="install_btn" width="200" height="46"
        colorround="23" bkcolor="#FF8372FF"/></HorizontalLayout></Window>)",
               {200, 46});
    EXPECT_EQ(p.Alpha(0, 0), 0);
    EXPECT_EQ(p.Alpha(199, 45), 0);
    EXPECT_EQ(p.Alpha(2, 5), 0);
    EXPECT_EQ(p.At(100, 23), 0xFF8372FFu);
    EXPECT_EQ(p.At(23, 23), 0xFF8372FFu);
}

TEST(Render, SixDigitColoursDrawOpaqueAndNoColourDrawsNothing) {
    const Pixels p = Render(R"(<Window><VerticalLayout bordersize="1" bordercolor="#e6e6e6">
        <Control height="10"/><Control height="10" bkcolor="#00000000"/></VerticalLayout></Window>)",
                            {40, 20});
    EXPECT_EQ(p.At(0, 5), 0xFFE6E6E6u);
    EXPECT_EQ(p.At(39, 19), 0xFFE6E6E6u);
    EXPECT_EQ(p.Alpha(20, 15), 0);
}

TEST(Render, RoundedBorderStrokesInsideTheControl) {
    const Pixels p = Render(
        R"(<Window><Control bkcolor="#FFFFFFFF" bordersize="3" bordercolor="#FF8372FF" borderround="40" colorround="40"/></Window>)",
        {80, 80});
    EXPECT_EQ(p.At(40, 1), 0xFF8372FFu);  // top of the ring
    EXPECT_EQ(p.At(40, 40), 0xFFFFFFFFu);
    EXPECT_EQ(p.Alpha(1, 1), 0);
}

TEST(Render, NinePatchKeepsCornersAndMaskMakesAColourTransparent) {
    SkinFixture skin;
    skin.AddPicture("skin/red.png", 10, 10, 0xFFFF0000);
    skin.AddPicture("skin/magenta.png", 4, 4, 0xFFFF00FF);
    ASSERT_TRUE(skin.Install());
    const Pixels p = Render(R"(<Window><VerticalLayout>
        <Control height="30" bkimage="file='skin\Red.PNG' corner='2,2,2,2' dest='5,5,45,25'"/>
        <Control height="10" bkimage="file='skin/magenta.png' mask='#FFFF00FF'"/>
        <Control height="10" bkimage="skin\missing.png" bkcolor="#FF00FF00"/>
      </VerticalLayout></Window>)",
                            {50, 50});
    EXPECT_EQ(p.At(5, 5), 0xFFFF0000u);
    EXPECT_EQ(p.At(44, 24), 0xFFFF0000u);
    EXPECT_EQ(p.Alpha(4, 4), 0);
    EXPECT_EQ(p.Alpha(45, 25), 0);
    EXPECT_EQ(p.Alpha(10, 35), 0);         // masked away
    EXPECT_EQ(p.At(10, 45), 0xFF00FF00u);  // a missing picture draws nothing over the colour
}

// Pixels whose colour is close to `rgb` (anti-aliased glyph edges are not exact).
int CountColour(const Pixels& p, Rect area, std::uint32_t rgb) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t c = p.At(x, y);
            int diff = 0;
            for (int shift : {16, 8, 0})
                diff += std::abs(int((c >> shift) & 255) - int((rgb >> shift) & 255));
            if (p.Alpha(x, y) == 255 && diff < 90) ++n;
        }
    return n;
}

TEST(Render, MarkedUpTextUsesItsColoursAndTheLinkColour) {
    const Pixels p = Render(
        R"(<Window linkfontcolor="#FF00C000"><Font id="1" name="Tahoma" size="20" weight="700"/><VerticalLayout bkcolor="#FFFFFFFF">
        <Text name="t" height="30" font="1" showhtml="true" text="{c #FF0000}Red red{/c} {a}link here{/a}"/>
      </VerticalLayout></Window>)",
        {300, 30});
    EXPECT_GT(CountColour(p, {0, 0, 300, 30}, 0xFF0000), 10);
    EXPECT_GT(CountColour(p, {0, 0, 300, 30}, 0x00C000), 10);
}

TEST(Render, TextAlignmentPlacesTheInkLeftCentreOrRight) {
    auto inkColumns = [](const char* align) {
        const Pixels p = Render(
            std::string(
                R"(<Window><Label bkcolor="#FFFFFFFF" textcolor="#FF000000" text="abc" align=")") +
                align + R"("/></Window>)",
            {300, 20});
        int first = 300, last = -1;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 300; ++x)
                if (Rgb(p.At(x, y)) != 0xFFFFFF)
                    first = std::min(first, x), last = std::max(last, x);
        return std::pair{first, last};
    };
    const auto left = inkColumns("left"), center = inkColumns("center"),
               right = inkColumns("right");
    EXPECT_LT(left.first, 10);
    EXPECT_NEAR((center.first + center.second) / 2, 150, 6);
    EXPECT_GT(right.second, 290);
}

// The window's direction decides where a text starts, whatever its script and whether it wraps:
// the one-line and the wrapped Arabic label start at the same side.
TEST(Render, TextsFollowTheWindowDirectionWhetherTheyWrapOrNot) {
    struct Case {
        bool rtl;
        const char* wrap;
        bool atRight;
    };
    for (const Case& c : {Case{false, "false", false}, Case{false, "true", false},
                          Case{true, "false", true}, Case{true, "true", true}}) {
        UiManager manager;
        manager.SetRightToLeft(c.rtl);
        Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(
            std::string(R"(<Window><Label bkcolor="#FFFFFFFF" textcolor="#FF000000" wordbreak=")") +
                c.wrap + R"(" text="العربية مرحبا"/></Window>)",
            "render.xml"));
        const Pixels p = RenderToPixels(manager, {300, 30});
        int first = 300, last = -1;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 300; ++x)
                if (Rgb(p.At(x, y)) != 0xFFFFFF)
                    first = std::min(first, x), last = std::max(last, x);
        ASSERT_GE(last, 0);
        SCOPED_TRACE(std::string("rtl ") + (c.rtl ? "yes" : "no") + ", wordbreak " + c.wrap);
        if (c.atRight) {
            EXPECT_GT(last, 280);
            EXPECT_GT(first, 100);
        } else {
            EXPECT_LT(first, 20);
            EXPECT_LT(last, 200);
        }
    }
}

TEST(Render, EndEllipsisKeepsOneLineInsideTheControl) {
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(
        R"(<Window><Label name="l" endellipsis="true" text="a very long text that does not fit at all"/></Window>)",
        "e.xml"));
    manager.SetClientSize({60, 20});
    manager.LayoutIfNeeded();
    auto* label = manager.FindControl("l")->As<LabelUI>("Label");
    TextStyle style = label->Style();
    const Size cut = manager.Text().Measure(label->Rich(), style, manager, 60);
    EXPECT_LE(cut.cx, 60);
    EXPECT_LT(cut.cy, 25);
}

}  // namespace
}  // namespace toolkit

namespace toolkit {
namespace {

TEST(RenderStates, MissingFaceFallsBackToASubstituteFont) {
    const Pixels p = Render(R"(<Window><Font id="4" name="No Such Face Anywhere" size="20"/>
        <Label bkcolor="#FFFFFFFF" textcolor="#FF000000" font="4" text="Substitute"/></Window>)",
                            {200, 30});
    int ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) ink += Rgb(p.At(x, y)) != 0xFFFFFF;
    EXPECT_GT(ink, 50);
}

TEST(RenderStates, HalfTransparentPictureBlendsOverTheBackground) {
    SkinFixture skin;
    skin.AddPicture("skin/half.png", 4, 4, 0x80FFFFFF);
    ASSERT_TRUE(skin.Install());
    const Pixels p = Render(
        R"(<Window><Control bkcolor="#FF000000" bkimage="skin/half.png"/></Window>)", {4, 4});
    const std::uint32_t c = p.At(2, 2);
    EXPECT_EQ(p.Alpha(2, 2), 255);
    EXPECT_NEAR(static_cast<int>((c >> 16) & 255), 128, 2);
}

TEST(RenderStates, DisabledAndHotButtonsUseTheirColours) {
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(R"(<Window><HorizontalLayout>
        <Button name="a" width="20" bkcolor="#FF0000FF" hotbkcolor="#FF00FF00" disabledbkcolor="#FFC9C9C8"/>
        <Button name="b" width="20" bkcolor="#FF0000FF" disabledbkcolor="#FFC9C9C8" enabled="false"/>
      </HorizontalLayout></Window>)",
                                               "s.xml"));
    manager.SetClientSize({40, 10});
    manager.LayoutIfNeeded();
    Pixels p = RenderToPixels(manager, {40, 10});
    EXPECT_EQ(p.At(5, 5), 0xFF0000FFu);
    EXPECT_EQ(p.At(25, 5), 0xFFC9C9C8u);
    manager.OnMouseMove({5, 5});
    p = RenderToPixels(manager, {40, 10});
    EXPECT_EQ(p.At(5, 5), 0xFF00FF00u);
}

// The first state that holds and whose picture can be drawn wins; a combo box has no disabled
// look of its own.
TEST(RenderStates, StateImagesFollowThePointerAndFallBackWhenMissing) {
    SkinFixture skin;
    skin.AddPicture("skin/green.png", 10, 10, 0xFF00FF00);
    skin.AddPicture("skin/blue.png", 10, 10, 0xFF0000FF);
    skin.AddPicture("skin/red.png", 10, 10, 0xFFFF0000);
    skin.AddPicture("skin/grey.png", 10, 10, 0xFF808080);
    ASSERT_TRUE(skin.Install());
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(R"(<Window><HorizontalLayout>
        <Button width="10" normalimage="skin/green.png" hotimage="skin/blue.png" pushedimage="skin/red.png"/>
        <Edit width="10" normalimage="skin/green.png" hotimage="skin/missing.png" disabledimage="skin/grey.png"/>
        <Combo width="10" normalimage="skin/green.png" disabledimage="skin/grey.png" enabled="false"/>
        <Edit width="10" normalimage="skin/green.png" disableimage="skin/grey.png" enabled="false"/>
      </HorizontalLayout></Window>)",
                                               "states.xml"));
    const Size size{40, 10};
    manager.SetClientSize(size);
    manager.LayoutIfNeeded();
    const auto colours = [&] {
        const Pixels p = RenderToPixels(manager, size);
        return std::vector<std::uint32_t>{p.At(5, 5), p.At(15, 5), p.At(25, 5), p.At(35, 5)};
    };
    using Row = std::vector<std::uint32_t>;
    EXPECT_EQ(colours(), (Row{0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF808080}));
    manager.OnMouseMove({5, 5});
    EXPECT_EQ(colours(), (Row{0xFF0000FF, 0xFF00FF00, 0xFF00FF00, 0xFF808080}));
    manager.OnButtonDown({5, 5});
    EXPECT_EQ(colours(), (Row{0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF808080}));
    manager.OnButtonUp({5, 5});
    manager.OnMouseMove({15, 5});
    EXPECT_EQ(colours(), (Row{0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF808080}));
}

TEST(RenderStates, LinkUnderThePointerTakesTheHoverColour) {
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(
        R"(<Window linkfontcolor="#FF00C000" linkhoverfontcolor="#FFFF0000"><Font id="1" name="Tahoma" size="20" weight="700"/>
        <Text name="t" font="1" bkcolor="#FFFFFFFF" showhtml="true" text="{a}Hover this link{/a}"/></Window>)",
        "h.xml"));
    const Size size{300, 30};
    Pixels before = RenderToPixels(manager, size);
    auto* text = manager.FindControl("t")->As<TextUI>("Text");
    Point on{-1, -1};
    for (int x = 0; x < 300 && on.x < 0; ++x)
        if (text->LinkAt({x, 15}) == 0) on = {x + 5, 15};
    ASSERT_GE(on.x, 0);
    manager.OnMouseMove(on);
    EXPECT_EQ(text->HotLink(), 0);
    EXPECT_TRUE(text->IsHandCursor());
    Pixels after = RenderToPixels(manager, size);
    EXPECT_GT(CountColour(before, {0, 0, 300, 30}, 0x00C000), 20);
    EXPECT_EQ(CountColour(before, {0, 0, 300, 30}, 0xFF0000), 0);
    EXPECT_GT(CountColour(after, {0, 0, 300, 30}, 0xFF0000), 20);
}

}  // namespace
}  // namespace toolkit

namespace toolkit {
namespace {

TEST(Render, DoubledScaleDrawsEveryPixelTwiceAndTakesTheDenseVariantOfAPicture) {
    SkinFixture skin;
    skin.AddPicture("skin/logo.png", 10, 10, 0xFFFF0000);
    skin.AddPicture("skin/logo@2x.png", 20, 20, 0xFF00FF00);
    skin.AddPicture("skin/plain.png", 10, 10, 0xFF0000FF);
    ASSERT_TRUE(skin.Install());
    const char* xml = R"(<Window><HorizontalLayout>
        <Control width="10" height="10" bkimage="file='skin\logo.png' source='0,0,5,10' dest='0,0,5,10'"/>
        <Control width="10" height="10" bkimage="skin\plain.png"/>
      </HorizontalLayout></Window>)";
    for (int scale : {1, 2}) {
        UiManager manager;
        Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(xml, "dense.xml"));
        const Pixels p = RenderToPixels(manager, {20, 10}, {scale, nullptr});
        SCOPED_TRACE("scale " + std::to_string(scale));
        ASSERT_EQ(p.width, 20 * scale);
        ASSERT_EQ(p.height, 10 * scale);
        // The sprite cell keeps its layout size whichever picture it comes from.
        EXPECT_EQ(p.At(5 * scale - 1, 0), scale == 2 ? 0xFF00FF00u : 0xFFFF0000u);
        EXPECT_EQ(p.Alpha(5 * scale, 0), 0);
        // Without a dense variant the plain picture is stretched.
        EXPECT_EQ(p.At(20 * scale - 1, 10 * scale - 1), 0xFF0000FFu);
    }
}

TEST(Render, OpenDropListStartsAtTheCurrentItemMarksItAndShowsThatTheListGoesOn) {
    std::string items;
    for (int i = 0; i < 20; ++i)
        items += "<ListLabelElement text=\"item " + std::to_string(i) + "\" height=\"20\"" +
                 (i == 15 ? " selected=\"true\"" : "") + "/>";
    for (bool rtl : {false, true}) {
        UiManager manager;
        manager.SetRightToLeft(rtl);
        Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(
            R"(<Window><VerticalLayout bkcolor="#FFFFFFFF"><Combo name="c" width="200" height="20" dropboxsize="200,100" itemtextcolor="#FF333333" itemselectedtextcolor="#FF6652EE" itemselectedbkcolor="#FFF1EFFF">)" +
                items + "</Combo><Control/></VerticalLayout></Window>",
            "drop.xml"));
        auto* combo = manager.FindControl("c")->As<ComboUI>("Combo");
        SCOPED_TRACE(rtl ? "right to left" : "left to right");
        ASSERT_EQ(combo->GetCurSel(), 15);
        EXPECT_EQ(combo->GetText(), "item 15");
        // 20 items of 20 in a view of 100: the current one (300..320) sits in the middle.
        EXPECT_EQ(combo->DropListScrollFor(100), 260);
        EXPECT_EQ(combo->DropListScrollToShow(19, 100, 260), 300);
        EXPECT_EQ(combo->DropListScrollToShow(0, 100, 260), 0);
        const Pixels p = RenderToPixels(manager, {200, 140}, {1, combo});
        // The scroll bar: a darker thumb on the edge the text does not start from.
        const int barX = rtl ? 5 : 194;
        int thumb = 0;
        for (int y = 20; y < 120; ++y)
            if ((p.At(barX, y) & 0xFF) < 0xA0) ++thumb;
        EXPECT_GT(thumb, 20);
        EXPECT_LT(thumb, 80);
        // The current row (view rows 40..60, screen 60..80) carries a check mark in its text colour
        // at its end.
        int mark = 0;
        for (int y = 60; y < 80; ++y)
            for (int x = rtl ? 10 : 170; x < (rtl ? 30 : 190); ++x)
                if (((p.At(x, y) >> 16) & 0xFF) < 0xC0 && (p.At(x, y) & 0xFF) > 0xD0) ++mark;
        EXPECT_GT(mark, 6);
    }
}

TEST(Render, ShortListHasNoScrollBar) {
    UiManager manager;
    Builder builder(&manager);
    manager.AttachRoot(builder.BuildFromMemory(
        R"(<Window><VerticalLayout bkcolor="#FFFFFFFF"><Combo name="c" width="200" height="20" dropboxsize="200,100"><ListLabelElement text="a" height="20"/><ListLabelElement text="b" height="20"/></Combo><Control/></VerticalLayout></Window>)",
        "drop.xml"));
    auto* combo = manager.FindControl("c")->As<ComboUI>("Combo");
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->DropListViewSize(), (Size{200, 40}));
    const Pixels p = RenderToPixels(manager, {200, 140}, {1, combo});
    for (int y = 22; y < 58; ++y) EXPECT_EQ(p.At(194, y), 0xFFFFFFFFu) << y;
}

}  // namespace
}  // namespace toolkit
