// How the shipped skin reads on screen: every language's warning line fits its box, and the
// texts and states people must see reach the WCAG AA contrast for their size.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <regex>

#include "SkinPackage.h"
#include "config/LanguageTables.h"
#include "sys/TextConvert.h"
#include "toolkit/Builder.h"
#include "toolkit/Container.h"
#include "toolkit/Label.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/UiManager.h"

namespace cvdtest {
namespace {

using toolkit::Color;

constexpr int kLanguages = 20;
constexpr int kArabic = 8;
// WCAG 2 AA: 4.5:1 for text, 3:1 for large text (18.66 px bold and up) and for what marks a
// state.
constexpr double kText = 4.5;
constexpr double kLarge = 3.0;

double Channel(int v) {
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Color rgb) {
    return 0.2126 * Channel((rgb >> 16) & 0xFF) + 0.7152 * Channel((rgb >> 8) & 0xFF) +
           0.0722 * Channel(rgb & 0xFF);
}

// An ARGB colour as it shows over `under`.
Color Over(Color argb, Color under) {
    const double a = ((argb >> 24) & 0xFF) / 255.0;
    Color out = 0;
    for (int shift : {16, 8, 0}) {
        const double v = ((argb >> shift) & 0xFF) * a + ((under >> shift) & 0xFF) * (1 - a);
        out |= static_cast<Color>(std::lround(v)) << shift;
    }
    return out;
}

double Contrast(Color a, Color b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr Color kWhite = 0xFFFFFF;

class SkinLook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto zip = toolkit::PackFolder(CVD_SKIN_SOURCE_DIR);
        ASSERT_TRUE(zip);
        auto& resources = toolkit::ResourceManager::Instance();
        resources.SetResourceFolder("skin\\");
        ASSERT_TRUE(resources.SetZipArchive(zip->data(), zip->size()));
    }
    static void TearDownTestSuite() { toolkit::ResourceManager::Instance().Release(); }

    // The main window's tree at its size, with the install_page texts of `language`.
    void BuildMainWindow(int language) {
        manager = std::make_unique<toolkit::UiManager>();
        toolkit::Builder builder(manager.get());
        manager->AttachRoot(builder.Build("InstallMainWnd.xml"));
        ASSERT_NE(manager->Root(), nullptr);
        manager->SetRightToLeft(language == kArabic);
        toolkit::Builder texts;
        auto tree =
            texts.Build("language\\" + FuntionImpl::Utf16ToUtf8(LanguageRowOf(language).fileName));
        ASSERT_TRUE(tree);
        auto* page = tree->FindSubControl("install_page")->As<toolkit::ContainerUI>("Container");
        ASSERT_NE(page, nullptr);
        for (int i = 0; i < page->GetCount(); ++i)
            if (auto* target = manager->FindControl(page->GetItemAt(i)->GetName()))
                target->SetText(page->GetItemAt(i)->GetText());
        manager->SetClientSize(manager->Window().size);
        manager->LayoutIfNeeded();
    }
    std::string Attribute(const std::string& document, const std::string& control,
                          const std::string& name) {
        const toolkit::XmlDocument doc = SkinPackage::Shipped().Parse(document);
        for (const auto& node : AllElements(doc.Root()))
            if (node.Attribute("name").value_or("") == control)
                return node.Attribute(name).value_or("");
        return {};
    }
    Color ColourOf(const std::string& document, const std::string& control,
                   const std::string& name) {
        return toolkit::ParseColor(Attribute(document, control, name));
    }

    std::unique_ptr<toolkit::UiManager> manager;
};

TEST_F(SkinLook, WarningLineHoldsItsWholeTextInEveryLanguage) {
    for (int language = 0; language < kLanguages; ++language) {
        BuildMainWindow(language);
        auto* extra = manager->FindControl("extra_text")->As<toolkit::LabelUI>("Label");
        ASSERT_NE(extra, nullptr);
        ASSERT_FALSE(extra->GetText().empty()) << language;
        const toolkit::Rect box = extra->TextRect();
        toolkit::TextStyle style = extra->Style();
        style.wordBreak = true;
        const toolkit::Size text =
            manager->Text().Measure(extra->Rich(), style, *manager, box.Width());
        EXPECT_LE(text.cy, box.Height())
            << "language " << language << ": " << text.cy << " px of text in " << box.Height();
        // The page keeps its height: the box grows into the spacer below it, not past it.
        EXPECT_LE(extra->GetPos().bottom,
                  manager->FindControl("layout_bottom_set")->GetPos().top - 1)
            << language;
    }
}

TEST_F(SkinLook, EveryTextColourOfTheLanguageFilesReadsOnWhite) {
    const std::regex colour(R"(\{c #([0-9A-Fa-f]{6})\})");
    for (int language = 0; language < kLanguages; ++language) {
        const std::string file = SkinPackage::Shipped().Read(
            "language/" + FuntionImpl::Utf16ToUtf8(LanguageRowOf(language).fileName));
        for (std::sregex_iterator it(file.begin(), file.end(), colour), end; it != end; ++it) {
            const Color rgb = static_cast<Color>(std::stoul((*it)[1].str(), nullptr, 16));
            EXPECT_GE(Contrast(rgb, kWhite), kText) << "language " << language << ": " << it->str();
        }
    }
}

TEST_F(SkinLook, BigButtonsKeepTheirLabelReadableWhenHoveredAndPushed) {
    for (const char* button : {"install_btn", "start_app", "retry_btn"}) {
        const Color text = ColourOf("InstallSetting.xml", button, "textcolor");
        const Color normal = Over(ColourOf("InstallSetting.xml", button, "bkcolor"), kWhite);
        SCOPED_TRACE(button);
        EXPECT_GE(Contrast(text, normal), kLarge);
        for (const char* state : {"hotbkcolor", "pushedbkcolor"}) {
            const Color bk = Over(ColourOf("InstallSetting.xml", button, state), kWhite);
            EXPECT_GE(Contrast(text, bk), kLarge) << state;
            // Hover and press darken, they do not wash the label out.
            EXPECT_LT(Luminance(bk), Luminance(normal)) << state;
        }
    }
}

TEST_F(SkinLook, LanguageListShowsTheHoveredAndTheCurrentRow) {
    const std::string doc = "InstallSetting.xml", combo = "language_combox";
    const Color hotBk = Over(ColourOf(doc, combo, "itemhotbkcolor"), kWhite);
    EXPECT_GE(Contrast(hotBk, kWhite), kLarge) << "the hovered row stands out from the list";
    EXPECT_GE(Contrast(ColourOf(doc, combo, "itemhottextcolor"), hotBk), kText);
    const Color selectedBk = Over(ColourOf(doc, combo, "itemselectedbkcolor"), kWhite);
    EXPECT_GE(Contrast(ColourOf(doc, combo, "itemselectedtextcolor"), selectedBk), kText);
    EXPECT_GE(Contrast(ColourOf(doc, combo, "itemtextcolor"), kWhite), kText);
}

TEST_F(SkinLook, SmallColouredButtonLabelsReadOnWhite) {
    struct Case {
        const char* document;
        const char* button;
    };
    for (const Case& c :
         {Case{"InstallSetting.xml", "browser_btn"}, Case{"InstallRunning.xml", "install_minbtn"},
          Case{"MessageBox.xml", "btn_no"}, Case{"MessageBox_down.xml", "btn_no"}}) {
        EXPECT_GE(Contrast(ColourOf(c.document, c.button, "textcolor"), kWhite), kText)
            << c.document << " " << c.button;
    }
}

}  // namespace
}  // namespace cvdtest
