#include <gtest/gtest.h>

#include "SkinFixture.h"
#include "ToolkitTestSupport.h"
#include "toolkit/Builder.h"
#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/Progress.h"

namespace toolkit {
namespace {

class SampleExUI : public ProgressUI {
public:
    std::string GetClass() const override { return "SampleExUI"; }
};

TEST(Builder, WindowAttributesFontsAndDefaultsRegisterWithTheManager) {
    UiManager manager;
    Builder builder(&manager);
    auto root = builder.BuildFromMemory(R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="650,560" caption="0,0,0,60" sizebox="4,4,6,6" showshadow="true" shadowsize="3"
        linkfontcolor="#ff28bf74" linkhoverfontcolor="#ffe18407" bktrans="true" gdiplustext="true">
  <Font id="2" name="Tahoma" size="18" weight="700"/>
  <Font id="5" name="Tahoma" size="13" italic="true"/>
  <Default name="Button" value="textcolor=&quot;#FF112233&quot; height=&quot;30&quot;"/>
  <VerticalLayout name="root"><Button name="b" height="46"/></VerticalLayout>
</Window>)",
                                        "test.xml");
    ASSERT_TRUE(root);
    const WindowAttributes& w = manager.Window();
    EXPECT_EQ(w.size, (Size{650, 560}));
    EXPECT_EQ(w.caption, (Rect{0, 0, 0, 60}));
    EXPECT_EQ(w.sizeBox, (Rect{4, 4, 6, 6}));
    EXPECT_TRUE(w.showShadow);
    EXPECT_EQ(w.shadowSize, 3);
    EXPECT_EQ(w.linkColor, 0xFF28BF74u);
    EXPECT_TRUE(w.layered);
    EXPECT_EQ(manager.Font(2), (FontDesc{"Tahoma", 18, true, false, false}));
    EXPECT_TRUE(manager.Font(5).italic);
    manager.AttachRoot(std::move(root));
    auto* button = static_cast<ButtonUI*>(manager.FindControl("b"));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->GetTextColor(), 0xFF112233u);  // from the Default
    EXPECT_EQ(button->GetFixedHeight(), 46);         // own attributes come after the Default
}

TEST(Builder, UnregisteredElementBuildsNothingAndIsLogged) {
    LogCapture log;
    Builder builder;
    auto root = builder.BuildFromMemory(
        "<Window><VerticalLayout><NoSuchEx name='x'><Label name='inner'/></NoSuchEx><Label "
        "name='l'/>"
        "</VerticalLayout></Window>",
        "Odd.xml");
    ASSERT_TRUE(root);
    auto* layout = static_cast<ContainerUI*>(root->GetInterface("Container"));
    ASSERT_EQ(layout->GetCount(), 1);
    EXPECT_EQ(layout->GetItemAt(0)->GetName(), "l");
    EXPECT_EQ(root->FindSubControl("inner"), nullptr);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_NE(log.lines[0].find("NoSuchEx"), std::string::npos);
    EXPECT_NE(log.lines[0].find("Odd.xml"), std::string::npos);
}

TEST(Builder, RegisteredClassIsFoundByItsCPercentSUIName) {
    ControlFactory::Instance().RegisterControl("CSampleExUI",
                                               [] { return std::make_unique<SampleExUI>(); });
    Builder builder;
    auto root = builder.BuildFromMemory("<Window><SampleEx name='p' max='10' value='4'/></Window>",
                                        "t.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetClass(), "SampleExUI");
    auto* progress = root->As<ProgressUI>("Progress");
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->GetValue(), 4);
    EXPECT_EQ(progress->GetMaxValue(), 10);
}

TEST(Builder, IncludeAddsTheChildrenOfTheIncludedRootInPlace) {
    SkinFixture skin;
    skin.Add("Part.xml",
             "<?xml version='1.0'?><VerticalLayout><VerticalLayout name='backgroudlayout'/>"
             "<TabLayout name='set_layout'/></VerticalLayout>");
    skin.Add("Fonts.xml", "<Contain><Font id='7' name='Tahoma' size='14'/></Contain>");
    skin.Add("Main.xml",
             "<Window><Include source='Fonts.xml'/><VerticalLayout name='page'>"
             "<Label name='before'/><Include source='part.XML'/><Label name='after'/>"
             "</VerticalLayout></Window>");
    ASSERT_TRUE(skin.Install());
    UiManager manager;
    Builder builder(&manager);
    auto root = builder.Build("Main.xml");
    ASSERT_TRUE(root) << builder.Error();
    auto* page = root->As<ContainerUI>("Container");
    ASSERT_EQ(page->GetCount(), 4);
    const char* names[] = {"before", "backgroudlayout", "set_layout", "after"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(page->GetItemAt(i)->GetName(), names[i]);
    EXPECT_TRUE(manager.HasFont(7));
}

TEST(Builder, MissingOrBrokenDocumentsBuildNothingAndSayWhy) {
    SkinFixture skin;
    skin.Add("Broken.xml", "<Window><VerticalLayout></Window>");
    skin.Add("Loop.xml",
             "<Window><VerticalLayout><Include source='Loop.xml'/></VerticalLayout></Window>");
    ASSERT_TRUE(skin.Install());
    LogCapture log;
    Builder builder;
    EXPECT_FALSE(builder.Build("Missing.xml"));
    EXPECT_NE(builder.Error().find("Missing.xml"), std::string::npos);
    EXPECT_FALSE(builder.Build("Broken.xml"));
    EXPECT_NE(builder.Error().find("Broken.xml"), std::string::npos);
    EXPECT_TRUE(builder.Build("Loop.xml"));  // the loop is cut, the document still builds
}

TEST(Builder, FreeStandingTreeOfALanguageFile) {
    Builder builder;
    auto root = builder.BuildFromMemory(
        "\xEF\xBB\xBF<VerticalLayout><VerticalLayout name='language_english'>"
        "<VerticalLayout name='install_page'><Label name='install_btn' "
        "text='Install'/></VerticalLayout>"
        "<VerticalLayout name='message_page'><Label name='NoText' text='No'/></VerticalLayout>"
        "</VerticalLayout></VerticalLayout>",
        "language_english.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), "language_english");
    Control* page = root->FindSubControl("message_page");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->FindSubControl("NoText")->GetText(), "No");
}

TEST(Builder, ComboItemsKeepUserDataAndSelection) {
    UiManager manager;
    Builder builder(&manager);
    auto root = builder.BuildFromMemory(
        "<Window><Combo name='c'><ListLabelElement text=' English' userdata='en'/>"
        "<ListLabelElement text=' Deutsch' userdata='de' selected='true'/></Combo></Window>",
        "c.xml");
    manager.AttachRoot(std::move(root));
    auto* combo = manager.FindControl("c")->As<ComboUI>("Combo");
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->GetCount(), 2);
    EXPECT_EQ(combo->GetListItem(1)->GetUserData(), "de");
    EXPECT_TRUE(combo->SelectItem(1, false));
    EXPECT_EQ(combo->GetText(), " Deutsch");
}

}  // namespace
}  // namespace toolkit
