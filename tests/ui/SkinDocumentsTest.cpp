// The shipped skin package builds with the toolkit: every window document, with the controls the
// windows look up by name, and no element the toolkit does not know.
#include <gtest/gtest.h>

#include <filesystem>

#include "ToolkitTestSupport.h"
#include "toolkit/Builder.h"
#include "toolkit/Render.h"
#include "toolkit/ResourceManager.h"
#include "ui/SkinPackage.h"

namespace {

class ShippedSkin : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string folder = CVD_SKIN_SOURCE_DIR;
        if (!std::filesystem::exists(folder + "/InstallMainWnd.xml"))
            GTEST_SKIP() << "no skin at " << folder;
        RegisterExtendedControls();
        auto bytes = toolkit::PackFolder(folder);
        ASSERT_TRUE(bytes);
        ASSERT_TRUE(
            toolkit::ResourceManager::Instance().SetZipArchive(bytes->data(), bytes->size()));
        toolkit::ResourceManager::Instance().SetResourceFolder("skin\\");
    }
    void TearDown() override { toolkit::ResourceManager::Instance().Release(); }
};

TEST_F(ShippedSkin, WindowDocumentsBuildWithTheirNamedControls) {
    const struct {
        const char* document;
        toolkit::Size size;
        std::vector<const char*> names;
    } windows[] = {
        {"InstallMainWnd.xml",
         {650, 560},
         {"root_layout",       "main_tablayout",         "page_layout",     "install_btn",
          "license_checkbox",  "license_link",           "install_setting", "set_layout",
          "language_combox",   "install_file_path_edit", "browser_btn",     "hor_banner",
          "hor_option",        "install_progress",       "install_label",   "logo_install_ok",
          "logo_install_fail", "license_text",           "Product_config",  "license_english"}},
        {"MessageBox.xml",
         {448, 184},
         {"btn_yes", "btn_no", "msg_describe", "msg_question", "iconimage", "closebtn"}},
        {"MessageBox_down.xml",
         {484, 184},
         {"btn_yes", "btn_no", "msg_describe", "msg_question", "closebtn"}},
        {"transWnd.xml", {320, 320}, {"foreImage", "version"}},
    };
    for (const auto& w : windows) {
        toolkit::LogCapture log;
        toolkit::UiManager manager;
        toolkit::Builder builder(&manager);
        manager.AttachRoot(builder.Build(w.document));
        ASSERT_TRUE(manager.Root()) << w.document << ": " << builder.Error();
        EXPECT_EQ(manager.Window().size, w.size) << w.document;
        for (const char* name : w.names)
            EXPECT_TRUE(manager.FindControl(name)) << w.document << " lacks " << name;
        const toolkit::Pixels pixels = toolkit::RenderToPixels(manager, w.size);
        EXPECT_EQ(pixels.width, w.size.cx);
        for (const auto& line : log.lines)
            EXPECT_EQ(line.find("unknown element"), std::string::npos) << line;
    }
}

TEST_F(ShippedSkin, PicturesLoadWhateverTheirSeparatorsAndLetterCase) {
    toolkit::UiManager manager;
    EXPECT_TRUE(manager.GetImage("scrollbar.bmp"));
    EXPECT_TRUE(manager.GetImage("skin\\Combo_over.png"));
    EXPECT_TRUE(manager.GetImage("skin/gif/bg20.png"));
    toolkit::LogCapture log;
    EXPECT_FALSE(manager.GetImage("skin\\anima\\5.png"));
    ASSERT_EQ(log.lines.size(), 1u);
}

TEST_F(ShippedSkin, ExtendedControlsOfTheMainWindowAreTheProgramsClasses) {
    toolkit::UiManager manager;
    toolkit::Builder builder(&manager);
    manager.AttachRoot(builder.Build("InstallMainWnd.xml"));
    ASSERT_TRUE(manager.Root());
    EXPECT_EQ(manager.FindControl("install_progress")->GetClass(), "ProgressExUI");
    EXPECT_EQ(manager.FindControl("install_setting")->GetClass(), "OptionExUI");
    EXPECT_EQ(manager.FindControl("logo_install_ok")->GetClass(), "ControlExUI");
}

}  // namespace
