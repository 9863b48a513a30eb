#include <gtest/gtest.h>

#include "toolkit/ImageDescriptor.h"
#include "toolkit/ValueSyntax.h"

namespace toolkit {
namespace {

TEST(ValueSyntax, ColoursAreOneHexNumberWithOrWithoutHash) {
    const struct {
        const char* text;
        Color expected;
    } cases[] = {
        {"#FF8372FF", 0xFF8372FF},
        {"#7F8372FF", 0x7F8372FF},
        {"#e6e6e6", 0x00E6E6E6},
        {"#333333", 0x00333333},
        {"FF000001", 0xFF000001},
        {"", 0},
        {"#", 0},
        {"#12zz", 0x12},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColor(c.text), c.expected) << c.text;
}

TEST(ValueSyntax, FourSidedValuesFillMissingMembersWithZero) {
    const struct {
        const char* text;
        Rect expected;
    } cases[] = {
        {"0,20", {0, 20, 0, 0}},   {"24,0,24,0", {24, 0, 24, 0}},
        {"4,4,6,6", {4, 4, 6, 6}}, {"7", {7, 0, 0, 0}},
        {"", {0, 0, 0, 0}},        {" 1, -2 ,3,4,5", {1, -2, 3, 4}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRect(c.text), c.expected) << c.text;
}

TEST(ValueSyntax, RadiiTakeTheFirstWhenTheSecondIsMissingOrZero) {
    EXPECT_EQ(ParseRadii("23"), (Radii{23, 23}));
    EXPECT_EQ(ParseRadii("3,3"), (Radii{3, 3}));
    EXPECT_EQ(ParseRadii("14,0"), (Radii{14, 14}));
    EXPECT_EQ(ParseRadii("10,4"), (Radii{10, 4}));
}

TEST(ValueSyntax, BorderSizeIsOneWidthOrFourSides) {
    EXPECT_EQ(ParseBorderSize("1"), (Rect{1, 1, 1, 1}));
    EXPECT_EQ(ParseBorderSize("0,1,0,0"), (Rect{0, 1, 0, 0}));
}

TEST(ValueSyntax, IntegersBooleansSizesAndAlignments) {
    EXPECT_EQ(ParseInt(" -12px"), -12);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_FALSE(ParseBool("1"));
    EXPECT_EQ(ParseSize("650,560"), (Size{650, 560}));
    EXPECT_EQ(ParseVAlign("vcenter"), VAlign::Center);
    EXPECT_EQ(ParseHAlign("right"), HAlign::Right);
    const FloatAlign fa = ParseFloatAlign("right,top");
    EXPECT_TRUE(fa.right && fa.top && !fa.left && !fa.bottom);
}

TEST(ValueSyntax, ExtremeNumbersAreClampedSoLayoutArithmeticCannotOverflow) {
    EXPECT_EQ(ParseInt("2147483648"), kMaxDocumentNumber);
    EXPECT_EQ(ParseInt("-99999999999999999999"), -kMaxDocumentNumber);
    EXPECT_EQ(ParseInt("1000000"), 1000000);
    EXPECT_EQ(ParseRect("-2147483647,0,2147483647,7"),
              (Rect{-kMaxDocumentNumber, 0, kMaxDocumentNumber, 7}));
    EXPECT_EQ(ParseImageDescriptor("file='a.png' fade='-5'").fade, 0);
    EXPECT_EQ(ParseImageDescriptor("file='a.png' fade='900'").fade, 255);
}

TEST(ValueSyntax, ImageDescriptorsAndBarePaths) {
    const ImageDescriptor bare = ParseImageDescriptor("skin\\bkprogress.png");
    EXPECT_EQ(bare.file, "skin\\bkprogress.png");
    EXPECT_FALSE(bare.dest.has_value());

    const ImageDescriptor d = ParseImageDescriptor(
        "file='scrollbar.bmp' source='0,0,9,9' corner='2,2,2,2' mask='#FFFF00FF' dest='1,2,3,4' "
        "gdiplus='true'");
    EXPECT_EQ(d.file, "scrollbar.bmp");
    EXPECT_EQ(*d.source, (Rect{0, 0, 9, 9}));
    EXPECT_EQ(d.corner, (Rect{2, 2, 2, 2}));
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_EQ(*d.dest, (Rect{1, 2, 3, 4}));
    EXPECT_TRUE(d.gdiplus);
}

TEST(ValueSyntax, AttributeListsStopAtBrokenInputWithoutFailing) {
    const AttributeList list = ParseAttributeList("width=\"9\" thumb='a b' broken='x");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (std::pair<std::string, std::string>{"width", "9"}));
    EXPECT_EQ(list[1].second, "a b");
}

}  // namespace
}  // namespace toolkit
