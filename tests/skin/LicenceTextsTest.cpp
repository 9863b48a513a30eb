// The licence agreements: one read-only rich-text element per language that has one, each a
// whole agreement the licence view can draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Markup.h"
#include "SkinPackage.h"

namespace cvdtest {
namespace {

const std::vector<std::string> kLicenceElements = {
    "license_english", "license_japanese",   "license_russian",     "license_spanish",
    "license_french",  "license_german",     "license_chinese",     "license_portuguese",
    "license_chinesetrad", "license_italiano", "license_arabic"};

// The licence view is a fixed 1590 pixels high; an agreement much longer than this would be cut.
constexpr std::size_t kMaxCharacters = 7000;

std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char byte : utf8) count += (byte & 0xC0) != 0x80;
    return count;
}

TEST(LicenceTextsTest, ElevenAgreementsThatDraw) {
    const auto& package = SkinPackage::Shipped();
    const auto doc = package.Parse("License.xml");
    ASSERT_TRUE(doc.Root());
    const auto fonts = package.FontIds("InstallMainWnd.xml");
    std::vector<std::string> names;
    for (const auto& element : AllElements(doc.Root())) {
        if (element.Name() != "RichEdit") continue;
        const std::string name = element.Attribute("name").value_or("");
        const std::string text = element.Attribute("text").value_or("");
        names.push_back(name);
        const auto scan = ScanMarkup(text);
        EXPECT_TRUE(scan.errors.empty()) << name << ": " << ::testing::PrintToString(scan.errors);
        EXPECT_EQ(scan.links, 0) << name;
        for (int id : scan.fonts) EXPECT_TRUE(fonts.count(id)) << name << ": {f " << id << "}";
        EXPECT_GT(CharacterCount(text), 1500u) << name << " is not a whole agreement";
        EXPECT_LT(CharacterCount(text), kMaxCharacters) << name << " would not fit the licence view";
        EXPECT_NE(text.find("Zorvik Video Converter"), std::string::npos) << name;
        EXPECT_NE(text.find("{p}"), std::string::npos) << name << " has no paragraphs";
    }
    std::sort(names.begin(), names.end());
    auto expected = kLicenceElements;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace cvdtest
