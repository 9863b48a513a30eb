#include <gtest/gtest.h>

#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/Label.h"

namespace toolkit {
namespace {

// Builds `xml` into a window of `size` and lays it out.
class Laid {
public:
    Laid(const std::string& xml, Size size) {
        Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(xml, "layout.xml"));
        manager.SetClientSize(size);
        manager.LayoutIfNeeded();
    }
    Rect At(const char* name) const {
        Control* c = manager.FindControl(name);
        return c ? c->GetPos() : Rect{-1, -1, -1, -1};
    }
    UiManager manager;
};

struct Expect {
    const char* name;
    Rect rect;
};

void Check(const Laid& laid, std::initializer_list<Expect> expected) {
    for (const auto& e : expected) EXPECT_EQ(laid.At(e.name), e.rect) << e.name;
}

TEST(Layout, VerticalStacksFixedAndSharesTheRestAmongStretchingChildren) {
    Laid laid(R"(<Window><VerticalLayout name="v" inset="10,5,10,5">
        <Control name="a" height="100"/>
        <Control name="b" padding="0,20"/>
        <Control name="c" width="50" height="30" padding="5,0,0,7"/>
        <Control name="d"/>
        <Control name="hidden" height="40" visible="false"/>
      </VerticalLayout></Window>)",
              {200, 300});
    // 290 high inside; fixed 100 + 20 + 30 + 7 = 157; b and d share 133 (66, 67).
    Check(laid, {{"v", {0, 0, 200, 300}},
                 {"a", {10, 5, 190, 105}},
                 {"b", {10, 125, 190, 191}},
                 {"c", {15, 191, 65, 221}},
                 {"d", {10, 228, 190, 295}}});
}

TEST(Layout, HorizontalWithChildAlignmentAndVerticalCentring) {
    Laid laid(R"(<Window><HorizontalLayout name="h" childalign="center" childvalign="vcenter">
        <Control name="a" width="40" height="20"/>
        <Control name="b" width="60" padding="10,0,0,0"/>
      </HorizontalLayout></Window>)",
              {300, 100});
    // 110 wide in 300: starts at 95.
    Check(laid, {{"a", {95, 40, 135, 60}}, {"b", {145, 0, 205, 100}}});
}

// Both stacks pushed to the far end on both axes: each is the other turned on its side, so the
// same children and padding, transposed, must land on transposed rectangles.
TEST(Layout, StacksAlignToTheFarEndAndClampOnBothAxes) {
    struct Case {
        const char* xml;
        Size size;
        Rect a, b;
    };
    const Case cases[] = {
        {R"(<Window><VerticalLayout childalign="right" childvalign="bottom">
              <Control name="a" width="50" height="40" padding="0,10,5,0"/>
              <Control name="b" height="500" maxheight="60"/>
            </VerticalLayout></Window>)",
         {200, 300},
         {145, 200, 195, 240},
         {0, 240, 200, 300}},
        {R"(<Window><HorizontalLayout childalign="right" childvalign="bottom">
              <Control name="a" width="40" height="50" padding="10,0,0,5"/>
              <Control name="b" width="500" maxwidth="60"/>
            </HorizontalLayout></Window>)",
         {300, 200},
         {200, 145, 240, 195},
         {240, 0, 300, 200}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        // 50 + 60 of 300 along the stack: it starts 190 in.
        Check(Laid(c.xml, c.size), {{"a", c.a}, {"b", c.b}});
    }
}

TEST(Layout, FloatControlsArePlacedByPosOrByFloatAlign) {
    Laid laid(R"(<Window><VerticalLayout name="v">
        <Control name="flow" height="50"/>
        <HorizontalLayout name="dots" float="true" pos="0,284,650,290"/>
        <HorizontalLayout name="corner" float="true" floatalign="right,top" width="48" height="20" padding="0,4,6,0"/>
        <Control name="after" height="10"/>
      </VerticalLayout></Window>)",
              {650, 560});
    Check(laid, {{"flow", {0, 0, 650, 50}},
                 {"dots", {0, 284, 650, 290}},
                 {"corner", {596, 4, 644, 24}},
                 {"after", {0, 50, 650, 60}}});
}

TEST(Layout, TabLayoutShowsTheSelectedPageOnly) {
    Laid laid(R"(<Window><TabLayout name="t" selectedid="1">
        <Control name="p0"/><VerticalLayout name="p1"><Control name="in" height="10"/></VerticalLayout><Control name="p2"/>
      </TabLayout></Window>)",
              {100, 80});
    auto* tab = laid.manager.FindControl("t")->As<TabLayoutUI>("TabLayout");
    EXPECT_FALSE(laid.manager.FindControl("p0")->IsVisible());
    EXPECT_TRUE(laid.manager.FindControl("p1")->IsVisible());
    Check(laid, {{"p1", {0, 0, 100, 80}}, {"in", {0, 0, 100, 10}}});
    ASSERT_TRUE(tab->SelectItem(2));
    laid.manager.LayoutIfNeeded();
    EXPECT_FALSE(laid.manager.FindControl("p1")->IsVisible());
    EXPECT_TRUE(laid.manager.FindControl("p2")->IsVisible());
    EXPECT_FALSE(tab->SelectItem(3));
}

TEST(Layout, ContainerChildrenOverlapAndFill) {
    Laid laid(
        R"(<Window><Container name="c"><VerticalLayout name="a"/><Control name="b" width="20" height="10" padding="3,4,0,0"/></Container></Window>)",
        {50, 40});
    Check(laid, {{"a", {0, 0, 50, 40}}, {"b", {3, 4, 23, 14}}});
}

TEST(Layout, AutoCalcWidthFollowsTheTextButNotBelowMinWidth) {
    Laid laid(R"(<Window><HorizontalLayout>
        <Button name="short" text="Hi" autocalcwidth="true" minwidth="72" height="28"/>
        <Button name="long" text="A rather long button caption here" autocalcwidth="true" minwidth="72" textpadding="10,0,10,0"/>
      </HorizontalLayout></Window>)",
              {600, 40});
    EXPECT_EQ(laid.At("short").Width(), 72);
    auto* label = laid.manager.FindControl("long")->As<LabelUI>("Label");
    const Size text = laid.manager.Text().Measure(label->Rich(), label->Style(), laid.manager, 0);
    EXPECT_GT(text.cx, 100);
    EXPECT_EQ(laid.At("long").Width(), text.cx + 20);
    EXPECT_EQ(laid.At("long").left, 72);
}

TEST(Layout, AutoCalcHeightGrowsWithWrappedText) {
    Laid laid(R"(<Window><VerticalLayout>
        <Text name="one" text="short" width="370" autocalcheight="true" multiline="true"/>
        <Text name="many" width="100" autocalcheight="true" multiline="true"
              text="many words that surely need several lines in a hundred pixels"/>
      </VerticalLayout></Window>)",
              {400, 400});
    const Rect one = laid.At("one"), many = laid.At("many");
    EXPECT_GT(one.Height(), 5);
    EXPECT_GT(many.Height(), 2 * one.Height());
    EXPECT_EQ(many.top, one.bottom);
}

TEST(Layout, HiddenControlsTakeNoSpaceAndComeBackWhenShown) {
    Laid laid(
        R"(<Window><VerticalLayout><Control name="a" height="10" visible="false"/><Control name="b" height="10"/></VerticalLayout></Window>)",
        {10, 100});
    EXPECT_EQ(laid.At("b").top, 0);
    laid.manager.FindControl("a")->SetVisible(true);
    laid.manager.LayoutIfNeeded();
    EXPECT_EQ(laid.At("b").top, 10);
}

TEST(Layout, ChildrenOfExtremeSizesStayOrderedAndInsideTheCoordinateRange) {
    const std::string huge =
        R"(<Control height="2147483647" maxheight="2147483647" padding="0,9999999,0,0"/>)";
    std::string children;
    for (int i = 0; i < 3000; ++i) children += huge;
    Laid laid(R"(<Window><VerticalLayout name="v">)" + children +
                  R"(<Control name="last" height="10"/></VerticalLayout></Window>)",
              {100, 100});
    const Rect last = laid.At("last");
    EXPECT_EQ(last.top, kMaxCoordinate);
    EXPECT_GE(last.bottom, last.top);
}

TEST(Layout, AnInvertedLimitPairLetsTheMinimumWin) {
    Laid laid(R"(<Window><VerticalLayout>
        <Control name="a" minheight="50" maxheight="10"/><Control name="b" height="5"/>
      </VerticalLayout></Window>)",
              {100, 100});
    EXPECT_EQ(laid.At("a").Height(), 50);
}

}  // namespace
}  // namespace toolkit
