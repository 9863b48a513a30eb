#include <gtest/gtest.h>

#include "toolkit/Markup.h"

namespace toolkit {
namespace {

TEST(Markup, UnmatchedClosingTagHasNoEffect) {
    const RichText t =
        ParseMarkup("{f 1}Insufficient disk space! Please change the storage path.{/c}{/f}");
    ASSERT_EQ(t.runs.size(), 1u);
    EXPECT_EQ(t.runs[0].text, "Insufficient disk space! Please change the storage path.");
    EXPECT_EQ(t.runs[0].font, 1);
    EXPECT_FALSE(t.runs[0].color.has_value());
}

TEST(Markup, LinksAreNumberedInOrderOfAppearance) {
    const RichText t = ParseMarkup(
        "{f 1}{c #000001}I've read and agreed{/c}{/f} {f 1}{a}{u}{c #8372FF}Privacy "
        "Policy{/c}{/u}{/a}{/f}"
        "{f 1}{c #000001} and {/c}{/f}{f 1}{a}{u}{c #8372FF}User License "
        "Agreement{/c}{/u}{/a}{/f}.");
    EXPECT_EQ(t.linkCount, 2);
    std::vector<std::pair<std::string, int>> links;
    for (const auto& run : t.runs)
        if (run.link >= 0) links.emplace_back(run.text, run.link);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0], (std::pair<std::string, int>{"Privacy Policy", 0}));
    EXPECT_EQ(links[1], (std::pair<std::string, int>{"User License Agreement", 1}));
    EXPECT_TRUE(t.runs[2].underline);
    EXPECT_EQ(*t.runs[2].color, 0xFF8372FFu);  // six digits are opaque
    EXPECT_TRUE(t.runs[2].colorInsideLink);
    EXPECT_EQ(t.PlainText(), "I've read and agreed Privacy Policy and User License Agreement.");
}

TEST(Markup, ClosingTagEndsTheInnermostOfItsKind) {
    const RichText t = ParseMarkup("{f 1}a{f 2}b{c #FF0000}c{/f}d{/c}e{/f}f");
    ASSERT_EQ(t.runs.size(), 6u);
    const int fonts[] = {1, 2, 2, 1, 1, -1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t.runs[i].font, fonts[i]) << t.runs[i].text;
    EXPECT_TRUE(t.runs[2].color.has_value());
    EXPECT_TRUE(t.runs[3].color.has_value());
    EXPECT_FALSE(t.runs[4].color.has_value());
}

TEST(Markup, LineBreaksAndParagraphs) {
    EXPECT_EQ(ParseMarkup("a{n}{/n}b").PlainText(), "a\nb");
    EXPECT_EQ(ParseMarkup("{p}one{/p}{p}two{/p}three").PlainText(), "one\ntwo\nthree");
    EXPECT_EQ(ParseMarkup("x{p}y").PlainText(), "x\ny");
}

TEST(Markup, BracesThatStartNoKnownTagAreText) {
    EXPECT_EQ(ParseMarkup("{x} {fa} { 50% {").PlainText(), "{x} {fa} { 50% {");
    EXPECT_EQ(ParseMarkup("").runs.size(), 0u);
}

TEST(Markup, ColourOpenedOutsideALinkYieldsToTheLinkColour) {
    const RichText t = ParseMarkup("{c #123456}{a}x{/a}{/c}");
    ASSERT_EQ(t.runs.size(), 1u);
    EXPECT_FALSE(t.runs[0].colorInsideLink);
    EXPECT_EQ(t.runs[0].link, 0);
}

}  // namespace
}  // namespace toolkit
