// Keyboard through the manager: the focus chain in reading order (mirrored right to left), the
// focus mark, and the keys that act like a click.
#include <gtest/gtest.h>

#include "toolkit/Builder.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/Render.h"

namespace toolkit {
namespace {

struct Recorder : INotifyUI {
    std::vector<std::string> seen;
    void Notify(NotifyMsg& msg) override {
        std::string entry = msg.type + ":" + msg.sender->GetName();
        if (msg.type == "itemselect") entry += ":" + std::to_string(msg.wParam);
        seen.push_back(entry);
    }
};

struct FakeHost : WindowHost {
    EditUI* edited = nullptr;
    ComboUI* dropped = nullptr;
    void Invalidate(const Rect&) override {}
    void StartTimer(int, unsigned) override {}
    void StopTimer(int) override {}
    void BeginEdit(EditUI& edit) override {
        edited = &edit;
        edit.SetEditing(true);
    }
    void EndEdit() override {
        if (edited) edited->SetEditing(false);
        edited = nullptr;
    }
    void ShowDropList(ComboUI& combo) override { dropped = &combo; }
};

// A page shaped like the installer's: title buttons floating top right, a big button, a row with
// a check box, text and an option, then a settings area with a combo, an edit and a button.
const char* kPage = R"(
  <Button name="install" width="200" height="46" padding="100,60,0,0" bkcolor="#FF8372FF" colorround="23"/>
  <HorizontalLayout height="30">
    <CheckBox name="licence" width="16" height="16"/>
    <Text name="sentence" text="I agree"/>
    <Option name="settings" width="100"/>
  </HorizontalLayout>
  <Combo name="lang" width="120" height="24"><ListLabelElement text="en" selected="true"/><ListLabelElement text="de"/><ListLabelElement text="fr" enabled="false"/><ListLabelElement text="it"/></Combo>
  <HorizontalLayout height="28">
    <Edit name="path" width="150"/>
    <Button name="browse" width="80"/>
    <Button name="hidden" width="80" visible="false"/>
    <Button name="disabled" width="80" enabled="false"/>
    <Edit name="readonly" width="50" readonly="true"/>
  </HorizontalLayout>
  <Control/>
  <HorizontalLayout float="true" pos="330,10,390,30">
    <Button name="minbtn" width="20" height="20"/><Control width="10"/><Button name="closebtn" width="20" height="20"/>
  </HorizontalLayout>)";

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        Builder builder(&manager);
        manager.AttachRoot(
            builder.BuildFromMemory(std::string("<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">") +
                                        kPage + "</VerticalLayout></Window>",
                                    "k.xml"));
        manager.SetClientSize({400, 300});
        manager.AddNotifier(&recorder);
        manager.SetHost(&host);
    }
    std::vector<std::string> ChainNames() {
        std::vector<std::string> names;
        for (Control* c : manager.FocusChain()) names.push_back(c->GetName());
        return names;
    }
    std::string Focused() { return manager.Focus() ? manager.Focus()->GetName() : ""; }

    UiManager manager;
    Recorder recorder;
    FakeHost host;
};

TEST_F(Keyboard, TabVisitsVisibleEnabledControlsInReadingOrderAndWraps) {
    const std::vector<std::string> order{"minbtn",   "closebtn", "install", "licence",
                                         "settings", "lang",     "path",    "browse"};
    EXPECT_EQ(ChainNames(), order);
    std::vector<std::string> visited;
    for (std::size_t i = 0; i < order.size() + 1; ++i) {
        EXPECT_TRUE(manager.OnKeyDown(Key::Tab));
        visited.push_back(Focused());
    }
    std::vector<std::string> expected = order;
    expected.push_back("minbtn");
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(manager.OnKeyDown(Key::Tab, true));
    EXPECT_EQ(Focused(), "browse");
    EXPECT_TRUE(manager.OnKeyDown(Key::Tab, true));
    EXPECT_EQ(Focused(), "path");
}

TEST_F(Keyboard, RightToLeftMirrorsTheOrderWithinEachRow) {
    manager.SetRightToLeft(true);
    EXPECT_EQ(ChainNames(), (std::vector<std::string>{"closebtn", "minbtn", "install", "licence",
                                                      "settings", "lang", "path", "browse"}));
    // The row itself is mirrored too: the check box now sits at the right end.
    EXPECT_GT(manager.FindControl("licence")->GetPos().left,
              manager.FindControl("settings")->GetPos().left);
}

TEST_F(Keyboard, ControlsOnAHiddenPageAreSkipped) {
    manager.FindControl("browse")->GetParent()->SetVisible(false);
    EXPECT_EQ(ChainNames().back(), "lang");
}

TEST_F(Keyboard, SpaceAndEnterActLikeAClick) {
    manager.SetFocus(manager.FindControl("install"));
    EXPECT_TRUE(manager.OnKeyDown(Key::Enter));
    EXPECT_TRUE(manager.OnKeyDown(Key::Space));
    manager.SetFocus(manager.FindControl("licence"));
    auto* box = manager.FindControl("licence")->As<CheckBoxUI>("CheckBox");
    EXPECT_TRUE(manager.OnKeyDown(Key::Space));
    EXPECT_TRUE(box->IsChecked());
    // Enter on a check box is the window's default action, not a second flip.
    EXPECT_FALSE(manager.OnKeyDown(Key::Enter));
    EXPECT_TRUE(box->IsChecked());
    EXPECT_TRUE(manager.OnKeyDown(Key::Space));
    EXPECT_FALSE(box->IsChecked());
    manager.SetFocus(manager.FindControl("lang"));
    EXPECT_TRUE(manager.OnKeyDown(Key::Space));
    EXPECT_EQ(host.dropped, manager.FindControl("lang"));
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"click:install", "click:install",
                                                       "click:licence", "selectchanged:licence",
                                                       "click:licence", "selectchanged:licence"}));
}

TEST_F(Keyboard, EnterAndEscapeWithNothingToActivateAreLeftToTheWindow) {
    EXPECT_FALSE(manager.OnKeyDown(Key::Enter));
    EXPECT_FALSE(manager.OnKeyDown(Key::Escape));
    manager.SetFocus(manager.FindControl("path"));
    EXPECT_FALSE(manager.OnKeyDown(Key::Enter));
    manager.SetFocus(manager.FindControl("install"));
    manager.FindControl("install")->SetEnabled(false);
    EXPECT_FALSE(manager.OnKeyDown(Key::Enter));
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(Keyboard, TabIntoAnEditStartsTypingAndTabOutEndsIt) {
    manager.SetFocus(manager.FindControl("lang"));
    manager.OnKeyDown(Key::Tab);
    auto* path = manager.FindControl("path")->As<EditUI>("Edit");
    EXPECT_EQ(host.edited, path);
    EXPECT_TRUE(path->IsEditing());
    manager.OnKeyDown(Key::Tab);
    EXPECT_FALSE(path->IsEditing());
    EXPECT_EQ(Focused(), "browse");
}

TEST_F(Keyboard, ArrowsOnAFocusedComboStepOverDisabledItems) {
    auto* combo = manager.FindControl("lang")->As<ComboUI>("Combo");
    manager.SetFocus(combo);
    manager.OnKeyDown(Key::Down);
    manager.OnKeyDown(Key::Down);
    EXPECT_EQ(combo->GetCurSel(), 3);
    manager.OnKeyDown(Key::Down);
    manager.OnKeyDown(Key::Up);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"itemselect:lang:1", "itemselect:lang:3",
                                                       "itemselect:lang:1"}));
}

// Counts pixels of the mark's colour in a ring just outside the control.
int MarkPixelsAround(UiManager& manager, const char* name) {
    const Pixels pixels = RenderToPixels(manager, {400, 300});
    if (pixels.argb.empty()) {
        ADD_FAILURE() << "nothing was drawn";
        return -1;
    }
    const Rect r = manager.FindControl(name)->GetPos();
    int count = 0;
    for (int x = r.left - 4; x < r.right + 4; ++x) {
        for (int y : {r.top - 3, r.bottom + 2}) {
            const std::uint32_t p = pixels.At(x, y) & 0xFFFFFF;
            const int red = (p >> 16) & 0xFF, blue = p & 0xFF;
            if (blue > 150 && red < 110) ++count;
        }
    }
    return count;
}

TEST_F(Keyboard, FocusMarkShowsAfterKeysAndHidesAfterAClick) {
    EXPECT_EQ(MarkPixelsAround(manager, "browse"), 0);
    manager.SetFocus(manager.FindControl("path"));
    manager.OnKeyDown(Key::Tab);
    ASSERT_EQ(Focused(), "browse");
    EXPECT_TRUE(manager.IsFocusMarked());
    EXPECT_GT(MarkPixelsAround(manager, "browse"), 60);
    const Rect r = manager.FindControl("browse")->GetPos();
    manager.OnButtonDown({r.left + 5, r.top + 5});
    manager.OnButtonUp({r.left + 5, r.top + 5});
    EXPECT_EQ(Focused(), "browse");
    EXPECT_FALSE(manager.IsFocusMarked());
    EXPECT_EQ(MarkPixelsAround(manager, "browse"), 0);
}

TEST_F(Keyboard, RemovedControlLosesTheFocus) {
    manager.SetFocus(manager.FindControl("browse"));
    auto* row = manager.FindControl("browse")->GetParent()->As<ContainerUI>("Container");
    row->Remove(manager.FindControl("browse"));
    EXPECT_EQ(manager.Focus(), nullptr);
    EXPECT_TRUE(manager.OnKeyDown(Key::Tab));
}

}  // namespace
}  // namespace toolkit

namespace toolkit {
namespace {

TEST(RightToLeft, ManagersMadeAfterTheDefaultIsSetStartWithIt) {
    UiManager before;
    UiManager::SetDefaultRightToLeft(true);
    UiManager after;
    UiManager::SetDefaultRightToLeft(false);
    UiManager later;
    EXPECT_FALSE(before.IsRightToLeft());
    EXPECT_TRUE(after.IsRightToLeft());
    EXPECT_FALSE(later.IsRightToLeft());
}

}  // namespace
}  // namespace toolkit
