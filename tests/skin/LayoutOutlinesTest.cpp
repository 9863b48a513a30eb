// The windows' code finds its controls by name and tolerates a missing one silently, so a renamed
// or dropped control would only show as a dead button or a text that never changes. These tables
// pin what the code looks up, and the window sizes the code and the pictures are made for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinPackage.h"

namespace cvdtest {
namespace {

struct NamedControl {
    const char* window;
    const char* name;
    const char* element;
};

const NamedControl kControls[] = {
    {"InstallMainWnd.xml", "root_layout", "VerticalLayout"},
    {"InstallMainWnd.xml", "Product_config", "VerticalLayout"},
    {"InstallMainWnd.xml", "main_tablayout", "TabLayout"},
    {"InstallMainWnd.xml", "backgroudlayout", "VerticalLayout"},
    {"InstallMainWnd.xml", "page_layout", "TabLayout"},
    {"InstallMainWnd.xml", "set_layout", "TabLayout"},
    {"InstallMainWnd.xml", "text_product_name", "Text"},
    {"InstallMainWnd.xml", "install_btn", "Button"},
    {"InstallMainWnd.xml", "extra_text", "Text"},
    {"InstallMainWnd.xml", "layout_bottom_set", "HorizontalLayout"},
    {"InstallMainWnd.xml", "license_checkbox", "CheckBox"},
    {"InstallMainWnd.xml", "license_link", "Text"},
    {"InstallMainWnd.xml", "install_setting", "OptionEx"},
    {"InstallMainWnd.xml", "layout_install_ok", "VerticalLayout"},
    {"InstallMainWnd.xml", "logo_install_ok", "ControlEx"},
    {"InstallMainWnd.xml", "label_install_ok", "Label"},
    {"InstallMainWnd.xml", "start_app", "Button"},
    {"InstallMainWnd.xml", "layout_install_fail", "VerticalLayout"},
    {"InstallMainWnd.xml", "logo_install_fail", "ControlEx"},
    {"InstallMainWnd.xml", "label_install_fail", "Label"},
    {"InstallMainWnd.xml", "text_fail_advice", "Text"},
    {"InstallMainWnd.xml", "retry_btn", "Button"},
    {"InstallMainWnd.xml", "minbtn", "Button"},
    {"InstallMainWnd.xml", "closebtn", "Button"},
    {"InstallMainWnd.xml", "license_text_layout", "HorizontalLayout"},
    {"InstallMainWnd.xml", "license_text", "Text"},
    {"InstallMainWnd.xml", "select_language_text", "Label"},
    {"InstallMainWnd.xml", "language_combox", "Combo"},
    {"InstallMainWnd.xml", "install_path_text", "Label"},
    {"InstallMainWnd.xml", "install_file_path_edit", "Edit"},
    {"InstallMainWnd.xml", "browser_btn", "Button"},
    {"InstallMainWnd.xml", "space_need", "Label"},
    {"InstallMainWnd.xml", "space_free", "Label"},
    {"InstallMainWnd.xml", "agree_improvement_checkbox", "CheckBox"},
    {"InstallMainWnd.xml", "agree_improvement", "Text"},
    {"InstallMainWnd.xml", "hor_banner", "HorizontalLayout"},
    {"InstallMainWnd.xml", "hor_option", "HorizontalLayout"},
    {"InstallMainWnd.xml", "anima_text_1", "Label"},
    {"InstallMainWnd.xml", "anima_text_5", "Label"},
    {"InstallMainWnd.xml", "install_label", "Label"},
    {"InstallMainWnd.xml", "install_minbtn", "Button"},
    {"InstallMainWnd.xml", "install_progress", "ProgressEx"},
    {"InstallMainWnd.xml", "license_english", "RichEdit"},
    {"InstallMainWnd.xml", "license_arabic", "RichEdit"},
    {"MessageBox.xml", "iconimage", "Control"},
    {"MessageBox.xml", "msg_describe", "Text"},
    {"MessageBox.xml", "msg_question", "Label"},
    {"MessageBox.xml", "btn_yes", "Button"},
    {"MessageBox.xml", "btn_no", "Button"},
    {"MessageBox.xml", "closebtn", "Button"},
    {"MessageBox_down.xml", "msg_describe", "Text"},
    {"MessageBox_down.xml", "msg_question", "Text"},
    {"MessageBox_down.xml", "btn_yes", "Button"},
    {"MessageBox_down.xml", "btn_no", "Button"},
    {"MessageBox_down.xml", "closebtn", "Button"},
    {"transWnd.xml", "VerticalLayoutUI1", "VerticalLayout"},
    {"transWnd.xml", "foreImage", "VerticalLayout"},
    {"transWnd.xml", "version", "Text"},
};

TEST(LayoutOutlinesTest, EveryControlTheCodeLooksUpIsThere) {
    const auto& package = SkinPackage::Shipped();
    for (const auto& expected : kControls) {
        const auto controls = package.NamedControls(expected.window);
        const auto found = controls.find(expected.name);
        if (found == controls.end()) {
            ADD_FAILURE() << expected.window << " has no control named " << expected.name;
            continue;
        }
        EXPECT_EQ(found->second, expected.element) << expected.window << ": " << expected.name;
    }
}

struct WindowAttributes {
    const char* window;
    const char* size;
    const char* caption;
    const char* sizebox;
};

const WindowAttributes kWindows[] = {
    {"InstallMainWnd.xml", "650,560", "0,0,0,60", "4,4,6,6"},
    {"MessageBox.xml", "448,184", "0,0,0,20", "4,4,6,6"},
    {"MessageBox_down.xml", "484,184", "0,0,0,60", "4,4,6,6"},
    {"transWnd.xml", "320,320", "0,0,0,320", "0,0,0,0"},
};

TEST(LayoutOutlinesTest, WindowsHaveTheirSizesAndLayeredLook) {
    const auto& package = SkinPackage::Shipped();
    for (const auto& expected : kWindows) {
        SCOPED_TRACE(expected.window);
        const auto doc = package.Parse(expected.window);
        const auto window = doc.Root();
        ASSERT_TRUE(window);
        ASSERT_EQ(window.Name(), "Window");
        EXPECT_EQ(window.Attribute("size"), expected.size);
        EXPECT_EQ(window.Attribute("caption"), expected.caption);
        EXPECT_EQ(window.Attribute("sizebox"), expected.sizebox);
        EXPECT_EQ(window.Attribute("bktrans"), "true");
        EXPECT_EQ(window.Attribute("gdiplustext"), "true");
        EXPECT_EQ(window.Attribute("textrenderinghint"), "5");
    }
}

// The banner carousel builds one slide per banner picture and keeps one dot per slide.
TEST(LayoutOutlinesTest, RunningPageOffersFiveSlidesAndFiveDots) {
    const auto doc = SkinPackage::Shipped().Parse("InstallRunning.xml");
    int slides = 0, dots = 0;
    for (const auto& element : AllElements(doc.Root())) {
        if (element.Attribute("name") == "hor_banner") slides = int(element.Children().size());
        if (element.Attribute("group") == "image_play_option") ++dots;
    }
    EXPECT_EQ(slides, 5);
    EXPECT_EQ(dots, 5);
}

}  // namespace
}  // namespace cvdtest
