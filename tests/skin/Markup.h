// A reader of the rich-text tags the skin's texts carry ({f 1}, {c #8372FF}, {u}, {a}, {n}, {p}
// and their closers), strict enough to catch what a translator can break: unknown or unterminated
// tags, malformed font ids and colours, tags left open. A closer with nothing of its kind open
// has no effect when drawn, so it is accepted (several texts end with such a "{/c}").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cvdtest {

struct MarkupScan {
    std::vector<std::string> errors;
    int links = 0;
    std::vector<int> fonts;
};

MarkupScan ScanMarkup(std::string_view text);

// The printf conversions of a format text, "%%" excluded (for example {"%0.f"}); a '%' that
// starts no valid conversion is returned as it stands so that the caller sees it.
std::vector<std::string> PrintfConversions(std::string_view text);

}  // namespace cvdtest
