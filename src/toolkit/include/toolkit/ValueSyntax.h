// The value syntax of layout documents: integers, booleans, colours, four-sided values, sizes,
// radii, alignments and attribute lists. Every parser accepts any text and never fails: what it
// cannot read counts as 0 / false / empty, as the documents have always been read.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/Geometry.h"

namespace toolkit {

// Decimal with leading blanks and a sign; stops at the first non-digit; no digits gives 0.
// Clamped to +-kMaxDocumentNumber, so no value of a document overflows the layout arithmetic.
int ParseInt(std::string_view text);
// "true" in any letter case; everything else is false.
bool ParseBool(std::string_view text);
// Hexadecimal after an optional '#': "#FF8372FF" is FF8372FF, "#e6e6e6" is 00E6E6E6.
Color ParseColor(std::string_view text);
// left,top,right,bottom; missing trailing members are 0.
Rect ParseRect(std::string_view text);
// width,height.
Size ParseSize(std::string_view text);
// One or two radii; a missing or zero second radius equals the first.
Radii ParseRadii(std::string_view text);
// Four comma-separated widths, or one width for all four sides.
Rect ParseBorderSize(std::string_view text);

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

HAlign ParseHAlign(std::string_view text);  // left | center | right
VAlign ParseVAlign(std::string_view text);  // top | vcenter | bottom

struct FloatAlign {
    bool left = false;
    bool right = false;
    bool top = false;
    bool bottom = false;
    bool Any() const { return left || right || top || bottom; }
};
FloatAlign ParseFloatAlign(std::string_view text);  // comma list of left/right/top/bottom

using AttributeList = std::vector<std::pair<std::string, std::string>>;
// Blank-separated pairs name='value' or name="value" (image descriptors, Default values).
AttributeList ParseAttributeList(std::string_view text);

}  // namespace toolkit
