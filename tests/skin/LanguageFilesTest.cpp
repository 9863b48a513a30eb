// The twenty language files: one structure, the same keys in the same order, markup that draws,
// and the format texts the main window and the message boxes fill in.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Markup.h"
#include "SkinPackage.h"
#include "config/LanguageTables.h"
#include "sys/TextConvert.h"

namespace cvdtest {
namespace {

constexpr std::size_t kInstallPageKeys = 30;
constexpr std::size_t kMessagePageKeys = 34;
const std::string kProductName = "Zorvik Video Converter";

struct Entry {
    std::string key;
    std::string text;
};

struct LanguageFile {
    bool has_bom = false;
    std::vector<std::string> structure_errors;
    std::vector<Entry> install_page;
    std::vector<Entry> message_page;
};

std::string PathOf(int index) {
    return "language/" + FuntionImpl::Utf16ToUtf8(LanguageRowOf(index).fileName);
}

std::vector<Entry> ReadSection(const toolkit::XmlNode& section, std::vector<std::string>& errors) {
    std::vector<Entry> entries;
    for (const auto& label : section.Children()) {
        const bool plain_label = label.Name() == "Label" && label.AttributeCount() == 2 &&
                                 label.AttributeName(0) == "name" && label.AttributeName(1) == "text";
        if (!plain_label) errors.push_back("unexpected <" + label.Name() + "> entry");
        entries.push_back({label.Attribute("name").value_or(""), label.Attribute("text").value_or("")});
    }
    return entries;
}

LanguageFile Read(int index) {
    LanguageFile file;
    const auto& package = SkinPackage::Shipped();
    const std::string raw = package.Read(PathOf(index));
    file.has_bom = raw.rfind("\xEF\xBB\xBF", 0) == 0;
    const auto doc = package.Parse(PathOf(index));
    const auto root = doc.Root();
    if (!root || root.Name() != "VerticalLayout") {
        file.structure_errors.push_back("root is not a VerticalLayout");
        return file;
    }
    const auto layouts = root.Children();
    if (layouts.size() != 1 || layouts[0].Attribute("name").value_or("").rfind("language_", 0) != 0) {
        file.structure_errors.push_back("root must hold one VerticalLayout named language_*");
        return file;
    }
    const auto sections = layouts[0].Children();
    if (sections.size() != 2 || sections[0].Attribute("name") != "install_page" ||
        sections[1].Attribute("name") != "message_page") {
        file.structure_errors.push_back("sections must be install_page then message_page");
        return file;
    }
    file.install_page = ReadSection(sections[0], file.structure_errors);
    file.message_page = ReadSection(sections[1], file.structure_errors);
    return file;
}

std::vector<std::string> Keys(const std::vector<Entry>& entries) {
    std::vector<std::string> keys;
    for (const auto& e : entries) keys.push_back(e.key);
    return keys;
}

const std::string* Find(const std::vector<Entry>& entries, const std::string& key) {
    for (const auto& e : entries)
        if (e.key == key) return &e.text;
    return nullptr;
}

class LanguageFileTest : public ::testing::TestWithParam<int> {
protected:
    static const LanguageFile& English() {
        static const LanguageFile english = Read(LangEnglish);
        return english;
    }
    LanguageFile file_ = Read(GetParam());
};

TEST_P(LanguageFileTest, HasTheLanguageFileStructure) {
    EXPECT_TRUE(SkinPackage::Shipped().Contains(PathOf(GetParam()))) << PathOf(GetParam());
    EXPECT_TRUE(file_.has_bom) << "language files start with a UTF-8 byte-order mark";
    EXPECT_TRUE(file_.structure_errors.empty()) << ::testing::PrintToString(file_.structure_errors);
}

TEST_P(LanguageFileTest, CarriesTheEnglishKeysInTheSameOrder) {
    ASSERT_EQ(English().install_page.size(), kInstallPageKeys);
    ASSERT_EQ(English().message_page.size(), kMessagePageKeys);
    EXPECT_EQ(Keys(file_.install_page), Keys(English().install_page));
    EXPECT_EQ(Keys(file_.message_page), Keys(English().message_page));
    for (const auto* section : {&file_.install_page, &file_.message_page}) {
        std::set<std::string> seen;
        for (const auto& e : *section) EXPECT_TRUE(seen.insert(e.key).second) << "duplicate " << e.key;
    }
}

// Links are numbered in order of appearance and the windows act on the number, so a translation
// must keep every link of the English text.
TEST_P(LanguageFileTest, MarkupIsValidAndKeepsTheLinks) {
    const auto fonts = SkinPackage::Shipped().FontIds("InstallMainWnd.xml");
    for (const auto& [section, english] :
         {std::pair{&file_.install_page, &English().install_page},
          std::pair{&file_.message_page, &English().message_page}}) {
        for (const auto& e : *section) {
            const auto scan = ScanMarkup(e.text);
            EXPECT_TRUE(scan.errors.empty()) << e.key << ": " << ::testing::PrintToString(scan.errors);
            for (int id : scan.fonts) EXPECT_TRUE(fonts.count(id)) << e.key << ": {f " << id << "}";
            if (const auto* source = Find(*english, e.key)) {
                EXPECT_EQ(scan.links, ScanMarkup(*source).links) << e.key;
            }
        }
    }
}

TEST_P(LanguageFileTest, TextsAreTranslatedNotLeftEmpty) {
    for (const auto* section : {&file_.install_page, &file_.message_page}) {
        for (const auto& e : *section) {
            const auto* english = Find(English().install_page, e.key);
            if (!english) english = Find(English().message_page, e.key);
            if (english && !english->empty()) {
                EXPECT_FALSE(e.text.empty()) << e.key;
            }
            if (english && english->find(kProductName) != std::string::npos) {
                EXPECT_NE(e.text.find(kProductName), std::string::npos)
                    << e.key << ": the product name stays untranslated";
            }
        }
    }
}

// The progress line is printed with one real number and must show a literal percent sign.
TEST_P(LanguageFileTest, ProgressLineFormatTakesOneNumberAndShowsAPercentSign) {
    const auto* text = Find(file_.install_page, "install_label");
    ASSERT_TRUE(text);
    const auto conversions = PrintfConversions(*text);
    ASSERT_EQ(conversions.size(), 1u) << *text;
    EXPECT_EQ(conversions[0].back(), 'f') << conversions[0];
    EXPECT_NE(text->find("%%"), std::string::npos) << *text;
}

TEST_P(LanguageFileTest, FreeSpaceTextTakesAtMostOneSizeInGigabytes) {
    const auto* text = Find(file_.install_page, "space_free");
    ASSERT_TRUE(text);
    const auto conversions = PrintfConversions(*text);
    ASSERT_LE(conversions.size(), 1u) << *text;
    if (!conversions.empty()) {
        EXPECT_EQ(conversions[0], "%.1f");
        EXPECT_NE(text->find("GB"), std::string::npos) << *text;
    }
}

std::string RowName(const ::testing::TestParamInfo<int>& info) {
    std::string code = LanguageCodeOf(info.param);
    for (char& ch : code)
        if (ch == '-') ch = '_';
    return code;
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageFileTest, ::testing::Range(0, int(LangCount)),
                         RowName);

TEST(LanguageFilesTest, TenFilesShowTheFreeSpaceAsANumber) {
    int with_number = 0;
    for (int i = 0; i < LangCount; ++i) {
        const auto file = Read(i);
        if (const auto* t = Find(file.install_page, "space_free"); t && !PrintfConversions(*t).empty())
            ++with_number;
    }
    EXPECT_EQ(with_number, 10);
}

TEST(LanguageFilesTest, SimplifiedChineseNotEnoughSpaceTextShowsBothSizes) {
    const auto chinese = Read(LangChinese);
    const auto* text = Find(chinese.message_page, "NoEnoughSpaceDesText");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("**1**"), std::string::npos);
    EXPECT_NE(text->find("**2**"), std::string::npos);
}

TEST(LanguageFilesTest, ComboOffersEveryLanguageWithItsCode) {
    const auto doc = SkinPackage::Shipped().Parse("InstallSetting.xml");
    std::vector<std::string> codes;
    for (const auto& element : AllElements(doc.Root())) {
        if (element.Name() != "ListLabelElement") continue;
        codes.push_back(element.Attribute("userdata").value_or(""));
        const auto text = element.Attribute("text").value_or("");
        EXPECT_EQ(text, " " + element.Attribute("tooltip").value_or("?")) << codes.back();
    }
    ASSERT_EQ(codes.size(), std::size_t(LangCount));
    for (int i = 0; i < LangCount; ++i) EXPECT_EQ(codes[i], LanguageCodeOf(i)) << "item " << i;
}

}  // namespace
}  // namespace cvdtest
