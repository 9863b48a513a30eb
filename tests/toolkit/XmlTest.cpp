#include <gtest/gtest.h>

#include <string>

#include "TempEnv.h"
#include "ToolkitTestSupport.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Xml.h"

namespace toolkit {
namespace {

constexpr std::string_view kConfigure = R"(<?xml version="1.0" encoding="utf-8"?>
<VerticalLayout>
  <VerticalLayout name="Product_config" visible="false">
    <Label name="Downloader_id" text="185"/>
    <Label text="61" name="Site_id"/>
    <Label/>
  </VerticalLayout>
  <Other/>
</VerticalLayout>
)";

XmlDocument Parse(std::string_view text) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadFromMemory(text)) << doc.ErrorText();
    return doc;
}

TEST(Xml, WalksChildElementsInOrder) {
    const XmlDocument doc = Parse(kConfigure);
    const XmlNode root = doc.Root();
    EXPECT_EQ(root.Name(), "VerticalLayout");
    std::vector<std::string> names;
    for (const XmlNode& child : root.Children()) names.push_back(child.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"VerticalLayout", "Other"}));
    EXPECT_EQ(root.FirstChild().Children().size(), 3u);
    EXPECT_EQ(root.Child("Other").Name(), "Other");
    EXPECT_FALSE(root.Child("Missing"));
    EXPECT_FALSE(root.Child("Other").NextSibling());
}

TEST(Xml, AttributesByPositionFollowDocumentOrder) {
    const XmlDocument doc = Parse(kConfigure);
    const auto entries = doc.Root().FirstChild().Children();
    ASSERT_EQ(entries.size(), 3u);
    struct Row {
        std::size_t entry;
        std::size_t count;
        std::string first_name, first, second;
    };
    const Row rows[] = {{0, 2, "name", "Downloader_id", "185"},
                        {1, 2, "text", "61", "Site_id"},
                        {2, 0, "", "", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        const XmlNode& node = entries[row.entry];
        EXPECT_EQ(node.AttributeCount(), row.count);
        EXPECT_EQ(node.AttributeName(0), row.first_name);
        EXPECT_EQ(node.AttributeValue(0), row.first);
        EXPECT_EQ(node.AttributeValue(1), row.second);
        EXPECT_EQ(node.AttributeValue(2), "");
        EXPECT_EQ(node.AttributeName(99), "");
    }
}

TEST(Xml, AttributesByName) {
    const XmlDocument doc = Parse(R"(<a empty="" x="1 &amp; 2" Case="c"/>)");
    const XmlNode root = doc.Root();
    EXPECT_EQ(root.Attribute("x"), "1 & 2");
    EXPECT_EQ(root.Attribute("empty"), "");
    EXPECT_EQ(root.Attribute("case"), std::nullopt);  // names are exact
    EXPECT_EQ(root.Attribute("missing"), std::nullopt);
}

TEST(Xml, TextJoinsDirectTextChildrenAsWritten) {
    const XmlDocument doc = Parse(
        "<r><url> https://example.test/a?b=1&amp;c=2 </url><m>one<i>skip</i>two"
        "<![CDATA[<three>]]></m><e/></r>");
    const XmlNode root = doc.Root();
    EXPECT_EQ(root.Child("url").Text(), " https://example.test/a?b=1&c=2 ");
    EXPECT_EQ(root.Child("m").Text(), "onetwo<three>");
    EXPECT_EQ(root.Child("e").Text(), "");
}

TEST(Xml, ByteOrderMarkIsSkipped) {
    const XmlDocument doc = Parse("\xEF\xBB\xBF<Window size=\"650,560\"/>");
    EXPECT_EQ(doc.Root().Name(), "Window");
    EXPECT_EQ(doc.Root().Attribute("size"), "650,560");
}

TEST(Xml, MalformedDocumentsFailWithAReason) {
    const char* cases[] = {"",        "\xEF\xBB\xBF",         "<a>",
                           "<a></b>", "<a x=\"1\" x=\"2\"/>", "<!-- only a comment -->",
                           "not xml"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        XmlDocument doc;
        EXPECT_FALSE(doc.LoadFromMemory(text));
        EXPECT_FALSE(doc.ErrorText().empty());
        EXPECT_FALSE(doc.Root());
    }
}

TEST(Xml, FailedLoadDropsThePreviousDocument) {
    XmlDocument doc = Parse("<a/>");
    EXPECT_FALSE(doc.LoadFromMemory("<b>"));
    EXPECT_FALSE(doc.Root());
    EXPECT_TRUE(doc.LoadFromMemory("<c/>"));
    EXPECT_EQ(doc.Root().Name(), "c");
    EXPECT_EQ(doc.ErrorText(), "");
}

TEST(Xml, EmptyNodeAnswersEmpty) {
    const XmlNode none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.Name(), "");
    EXPECT_EQ(none.Text(), "");
    EXPECT_FALSE(none.FirstChild());
    EXPECT_TRUE(none.Children().empty());
    EXPECT_EQ(none.AttributeCount(), 0u);
    EXPECT_EQ(none.Attribute("x"), std::nullopt);
}

TEST(Xml, MovedDocumentKeepsItsNodes) {
    XmlDocument first = Parse(kConfigure);
    XmlDocument second = std::move(first);
    EXPECT_EQ(second.Root().FirstChild().Attribute("name"), "Product_config");
}

class XmlResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.WriteFile("skin/configure/configure.xml", std::string(kConfigure));
        env_.WriteFile("skin/broken.xml", "<Window><Label></Window>");
        const auto zip = *PackFolder((env_.Root() / "skin").string());
        ASSERT_TRUE(ResourceManager::Instance().SetZipArchive(zip.data(), zip.size()));
    }
    void TearDown() override { ResourceManager::Instance().Release(); }

    cvdtest::TempEnv env_;
};

TEST_F(XmlResourceTest, LoadsFromTheSkinArchive) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFromResource("Configure\\configure.XML")) << doc.ErrorText();
    EXPECT_EQ(doc.Root().FirstChild().FirstChild().AttributeValue(1), "185");
}

TEST_F(XmlResourceTest, MissingOrBrokenResourceNamesThePath) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFromResource("configure/missing.xml"));
    EXPECT_NE(doc.ErrorText().find("configure/missing.xml"), std::string::npos);
    EXPECT_FALSE(doc.LoadFromResource("broken.xml"));
    EXPECT_NE(doc.ErrorText().find("broken.xml"), std::string::npos);
}

TEST(XmlResource, NoArchiveMeansNoDocument) {
    ResourceManager::Instance().Release();
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFromResource("configure/configure.xml"));
    EXPECT_FALSE(doc.ErrorText().empty());
}

}  // namespace
}  // namespace toolkit
