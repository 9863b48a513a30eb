// Pointer input through the manager, as the shell delivers it, and the notifications that come out.
#include <gtest/gtest.h>

#include "toolkit/Builder.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/Label.h"
#include "toolkit/RichEdit.h"

namespace toolkit {
namespace {

struct Recorder : INotifyUI {
    std::vector<std::string> seen;  // "type:sender[:wParam]"
    void Notify(NotifyMsg& msg) override {
        std::string entry = msg.type + ":" + msg.sender->GetName();
        if (msg.type == "link" || msg.type == "itemselect")
            entry += ":" + std::to_string(msg.wParam);
        seen.push_back(entry);
    }
};

struct FakeHost : WindowHost {
    EditUI* edited = nullptr;
    ComboUI* dropped = nullptr;
    void Invalidate(const Rect&) override {}
    void StartTimer(int, unsigned) override {}
    void StopTimer(int) override {}
    void BeginEdit(EditUI& edit) override { edited = &edit; }
    void ShowDropList(ComboUI& combo) override { dropped = &combo; }
};

class Behaviour : public ::testing::Test {
protected:
    void Build(const std::string& body) {
        Builder builder(&manager);
        manager.AttachRoot(builder.BuildFromMemory(
            "<Window><VerticalLayout>" + body + "</VerticalLayout></Window>", "b.xml"));
        manager.SetClientSize({400, 300});
        manager.LayoutIfNeeded();
        manager.AddNotifier(&recorder);
        manager.SetHost(&host);
    }
    void ClickAt(Point pt) {
        manager.OnMouseMove(pt);
        manager.OnButtonDown(pt);
        manager.OnButtonUp(pt);
    }
    void Click(const char* name) {
        const Rect r = manager.FindControl(name)->GetPos();
        ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    template <class T>
    T* Get(const char* name, const char* iface) {
        return manager.FindControl(name)->As<T>(iface);
    }

    UiManager manager;
    Recorder recorder;
    FakeHost host;
};

TEST_F(Behaviour, ButtonClickNotifiesAndTracksHotAndPushedStates) {
    Build(R"(<Button name="b" height="30"/><Button name="off" height="30" enabled="false"/>)");
    auto* b = Get<ButtonUI>("b", "Button");
    manager.OnMouseMove({10, 10});
    EXPECT_TRUE(b->IsHot());
    manager.OnButtonDown({10, 10});
    EXPECT_TRUE(b->IsPushed());
    manager.OnButtonUp({10, 10});
    EXPECT_FALSE(b->IsPushed());
    Click("off");
    // Released outside: no click.
    manager.OnButtonDown({10, 10});
    manager.OnMouseMove({10, 200});
    manager.OnButtonUp({10, 200});
    EXPECT_FALSE(b->IsHot());
    EXPECT_EQ(recorder.seen, std::vector<std::string>{"click:b"});
}

TEST_F(Behaviour, OptionsOfAGroupSelectOneAtATime) {
    Build(
        R"(<Option name="a" group="g" height="20" selected="true"/><Option name="b" group="g" height="20"/>
             <CheckBox name="c" height="20"/>)");
    Click("b");
    EXPECT_FALSE(Get<OptionUI>("a", "Option")->IsSelected());
    EXPECT_TRUE(Get<OptionUI>("b", "Option")->IsSelected());
    Click("b");  // clicking the selected option of a group keeps it
    Click("c");
    Click("c");
    EXPECT_FALSE(Get<CheckBoxUI>("c", "CheckBox")->IsChecked());
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{
                                 "click:b", "selectchanged:a", "selectchanged:b", "click:b",
                                 "click:c", "selectchanged:c", "click:c", "selectchanged:c"}));
    recorder.seen.clear();
    Get<OptionUI>("a", "Option")->Selected(true, false);
    EXPECT_FALSE(Get<OptionUI>("b", "Option")->IsSelected());
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(Behaviour, LinkClickCarriesTheLinkNumber) {
    Build(
        R"(<Text name="t" height="30" showhtml="true" text="{a}first link{/a} plain words here {a}second{/a}"/>)");
    auto* text = Get<TextUI>("t", "Text");
    // Find one point inside each link by walking along the line.
    std::map<int, Point> points;
    for (int x = 0; x < 400; ++x)
        if (int link = text->LinkAt({x, 15}); link >= 0 && !points.count(link))
            points[link] = {x + 2, 15};
    ASSERT_EQ(points.size(), 2u);
    ClickAt(points[1]);
    ClickAt(points[0]);
    ClickAt({points[1].x - 40, 15});  // plain text between the links
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"link:t:1", "link:t:0"}));
    EXPECT_TRUE(text->TakesCaptionClicks());
}

TEST_F(Behaviour, ComboOpensItsDropListAndSelectionNotifiesOnce) {
    Build(
        R"(<Combo name="c" height="28"><ListLabelElement text="a" userdata="en"/><ListLabelElement text="b" userdata="de"/></Combo>)");
    Click("c");
    auto* combo = Get<ComboUI>("c", "Combo");
    EXPECT_EQ(host.dropped, combo);
    EXPECT_EQ(combo->DropListItemAt(25, 0), 1);
    EXPECT_EQ(combo->DropListItemAt(50, 0), -1);
    combo->SelectItem(1);
    combo->SelectItem(1);
    combo->SelectItem(0, false);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"itemselect:c:1"}));
    EXPECT_EQ(combo->GetText(), "a");
    EXPECT_FALSE(combo->SelectItem(2));
    recorder.seen.clear();
    combo->ActivateItem(1);
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"itemselect:c:1", "itemactivate:c"}));
}

TEST_F(Behaviour, EditAsksTheShellForTheNativeEntry) {
    Build(
        R"(<Edit name="e" height="28" text="/opt" autoselall="true"/><Edit name="ro" height="28" readonly="true"/>)");
    Click("ro");
    EXPECT_EQ(host.edited, nullptr);
    Click("e");
    ASSERT_NE(host.edited, nullptr);
    EXPECT_TRUE(host.edited->IsAutoSelAll());
}

TEST_F(Behaviour, RichEditScrollsWithTheWheelWithinItsText) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "{p}Paragraph " + std::to_string(i) + "{/p}";
    Build(R"(<RichEdit name="r" height="100" inset="4,4,4,4" text=")" + text + R"("/>)");
    auto* rich = Get<RichEditUI>("r", "RichEdit");
    const int range = rich->GetScrollRange();
    EXPECT_GT(range, 500);
    for (int i = 0; i < 200; ++i) manager.OnWheel({50, 50}, -120);
    EXPECT_EQ(rich->GetScrollPos(), range);
    manager.OnWheel({50, 50}, 120);
    EXPECT_LT(rich->GetScrollPos(), range);
}

TEST_F(Behaviour, WheelOverAChildScrollsTheNearestScrollingLayout) {
    Build(R"(<VerticalLayout name="v" height="100" vscrollbar="true">
               <HorizontalLayout height="1590"><Text name="t" text="licence"/></HorizontalLayout></VerticalLayout>)");
    auto* v = Get<ContainerUI>("v", "Container");
    EXPECT_EQ(v->GetScrollRange(), 1490);
    // The bar takes its width and text keeps a gap of 8 from it.
    EXPECT_EQ(manager.FindControl("t")->GetPos().right, 400 - 9 - 8);
    manager.OnWheel({50, 50}, -120);
    manager.LayoutIfNeeded();
    EXPECT_EQ(v->GetScrollPos(), 30);
    EXPECT_EQ(manager.FindControl("t")->GetPos().top, -30);
}

TEST_F(Behaviour, RemovedControlIsForgottenByTheManager) {
    Build(R"(<HorizontalLayout name="row" height="30"><Button name="b"/></HorizontalLayout>)");
    manager.OnMouseMove({10, 10});
    manager.OnButtonDown({10, 10});
    ASSERT_EQ(manager.Capture(), manager.FindControl("b"));
    manager.SetTimer(manager.FindControl("b"), 1, 10);
    Get<ContainerUI>("row", "Container")->RemoveAll();
    EXPECT_EQ(manager.Capture(), nullptr);
    EXPECT_EQ(manager.Hover(), nullptr);
    manager.OnButtonUp({10, 10});  // nothing left to receive it
    EXPECT_TRUE(recorder.seen.empty());
}

}  // namespace
}  // namespace toolkit
