// Reading and applying the language files of the shipped skin, and of a skin made on the spot for
// the cases the shipped one does not have.
#include <gtest/gtest.h>

#include <filesystem>

#include "SkinFixture.h"
#include "config/CConfigure.h"
#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/UiManager.h"
#include "ui/LanguageFiles.h"
#include "ui/ProgressLine.h"
#include "ui/SkinPackage.h"

namespace {

class ShippedLanguages : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterExtendedControls();
        auto bytes = toolkit::PackFolder(CVD_SKIN_SOURCE_DIR);
        ASSERT_TRUE(bytes);
        auto& resources = toolkit::ResourceManager::Instance();
        resources.SetResourceFolder("skin\\");
        ASSERT_TRUE(resources.SetZipArchive(bytes->data(), bytes->size()));
        toolkit::Builder builder(&window);
        window.AttachRoot(builder.Build("InstallMainWnd.xml"));
        ASSERT_TRUE(window.Root());
    }
    void TearDown() override { toolkit::ResourceManager::Instance().Release(); }

    std::string Text(const char* name) const {
        toolkit::Control* c = window.FindControl(name);
        return c ? c->GetText() : "<missing>";
    }
    toolkit::Rect BottomInset() const {
        return window.FindControl("layout_bottom_set")
            ->As<toolkit::ContainerUI>("Container")
            ->GetInset();
    }

    toolkit::UiManager window;
};

TEST(LanguageTables, FileAndLicenceNamesFollowTheLanguageIndex) {
    const struct {
        int index;
        const char* file;
        const char* licence;
    } rows[] = {
        {0, "language\\language_english.xml", "license_english"},
        {8, "language\\language_arabic.xml", "license_arabic"},
        {10, "language\\language_chinesetrad.xml", "license_chinesetrad"},
        {12, "language\\language_nederland.xml", "license_nederlands"},
        {19, "language\\language_czech.xml", "license_czech"},
        {20, "", ""},
        {-1, "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(language::LanguageFilePath(row.index), row.file) << row.index;
        EXPECT_EQ(language::LicenceElementName(row.index), row.licence) << row.index;
    }
}

TEST_F(ShippedLanguages, KeysAreReadFromTheirSectionAndMissingOnesAreEmpty) {
    EXPECT_EQ(language::InstallPageText(0, "install_btn"), "Install");
    EXPECT_EQ(language::InstallPageText(0, "wait_text_1"), "Connecting to server...");
    EXPECT_EQ(language::ReadText(0, language::kMessagePage, "ConfirmText"), "Confirm");
    // A key of the other section is not found in this one.
    EXPECT_EQ(language::InstallPageText(0, "ConfirmText"), "");
    EXPECT_EQ(language::InstallPageText(0, "no_such_key"), "");
    EXPECT_EQ(language::InstallPageText(25, "install_btn"), "");
    const auto section = language::ReadSection(4, language::kInstallPage);
    ASSERT_TRUE(section);
    EXPECT_EQ(section->size(), 30u);
}

TEST_F(ShippedLanguages, ApplyingCopiesTextsLicenceAndProgressFormat) {
    const auto format = language::ApplyLanguage(window, 0, {});
    ASSERT_TRUE(format);
    EXPECT_EQ(Text("install_btn"), "Install");
    EXPECT_EQ(Text("license_text"), Text("license_english"));
    EXPECT_FALSE(window.IsRightToLeft());
    // The progress line of English shows 40 followed by one percent sign between its runs.
    const std::string line = ui::FormatProgressLine(*format, 40);
    EXPECT_NE(line.find("40%{/c}"), std::string::npos) << line;
    EXPECT_EQ(line.find("%%"), std::string::npos);

    language::ApplyLanguage(window, 8, {});
    EXPECT_EQ(Text("install_btn"), language::InstallPageText(8, "install_btn"));
    EXPECT_EQ(Text("license_text"), Text("license_arabic"));
    EXPECT_TRUE(window.IsRightToLeft());
}

TEST_F(ShippedLanguages, ALanguageWithoutLicenceElementKeepsThePreviousLicence) {
    language::ApplyLanguage(window, 5, {});
    language::ApplyLanguage(window, 12, {});  // Dutch: no license_nederlands in the package
    EXPECT_EQ(Text("license_text"), Text("license_french"));
    EXPECT_EQ(Text("install_btn"), language::InstallPageText(12, "install_btn"));
}

TEST_F(ShippedLanguages, ExtraTextIsSetOnlyForItsProductGroup) {
    language::ApplyLanguage(window, 1, {false});
    EXPECT_EQ(Text("extra_text"), "");
    language::ApplyLanguage(window, 1, {true});
    EXPECT_EQ(Text("extra_text"), language::InstallPageText(1, "extra_text"));
    EXPECT_FALSE(Text("extra_text").empty());
}

TEST_F(ShippedLanguages, TheBottomRowInsetDependsOnTheLanguage) {
    for (int index : {0, 1, 2, 8, 10, 11, 18}) {
        language::ApplyLanguage(window, index, {});
        EXPECT_EQ(BottomInset(), (toolkit::Rect{0, 16, 0, 16})) << index;
    }
    for (int index : {3, 4, 12, 19}) {
        language::ApplyLanguage(window, index, {});
        EXPECT_EQ(BottomInset(), (toolkit::Rect{0, 8, 0, 8})) << index;
    }
}

TEST(LanguageFilesMadeOnTheSpot, OnlySectionAndKeyNamesMatterAndEntriesApplyLastToFirst) {
    toolkit::SkinFixture skin;
    // The inner layout carries another language's name; duplicate keys: the first one wins
    // because entries are applied from the last to the first.
    skin.Add("language/language_arabic.xml",
             "\xEF\xBB\xBF<VerticalLayout><VerticalLayout name=\"language_english\">"
             "<VerticalLayout name=\"install_page\">"
             "<Label name=\"install_btn\" text=\"&#x062A;&#x062B;&#x0628;&#x064A;&#x062A;\" />"
             "<Label name=\"install_btn\" text=\"later\" />"
             "<Label name=\"install_label\" text=\"%0.f%%\" />"
             "</VerticalLayout></VerticalLayout></VerticalLayout>");
    skin.Add("Main.xml",
             "<Window size=\"100,100\"><VerticalLayout><Button name=\"install_btn\" text=\"x\" />"
             "<Label name=\"license_text\" text=\"kept\" /></VerticalLayout></Window>");
    ASSERT_TRUE(skin.Install());
    toolkit::UiManager window;
    toolkit::Builder builder(&window);
    window.AttachRoot(builder.Build("Main.xml"));
    ASSERT_TRUE(window.Root());
    const auto format = language::ApplyLanguage(window, 8, {});
    EXPECT_EQ(window.FindControl("install_btn")->GetText(), "\u062A\u062B\u0628\u064A\u062A");
    EXPECT_EQ(window.FindControl("license_text")->GetText(), "kept");
    ASSERT_TRUE(format);
    EXPECT_EQ(*format, "%0.f%%");
    // A missing file changes no text and gives no format.
    EXPECT_FALSE(language::ApplyLanguage(window, 3, {}));
    EXPECT_EQ(window.FindControl("install_btn")->GetText(), "\u062A\u062B\u0628\u064A\u062A");
}

}  // namespace
