// The rich-text tag language of marked-up texts: {f id}…{/f} font, {c #RRGGBB}…{/c} colour,
// {u}…{/u} underline, {a}…{/a} link, {n} line break, {p}…{/p} paragraph. Tags nest; a closing
// tag ends the innermost open tag of its kind and one with nothing open has no effect. A brace
// that starts no known tag is literal text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Geometry.h"

namespace toolkit {

struct TextRun {
    std::string text;  // UTF-8; line breaks are "\n"
    int font = -1;     // id in the window's font table; -1 = the control's own font
    std::optional<Color> color;
    bool underline = false;
    int link = -1;  // link number, counted from 0 in order of appearance
    // The colour was opened inside the link, so it wins over the link colours.
    bool colorInsideLink = false;

    bool SameStyle(const TextRun& o) const {
        return font == o.font && color == o.color && underline == o.underline && link == o.link &&
               colorInsideLink == o.colorInsideLink;
    }
};

struct RichText {
    std::vector<TextRun> runs;
    int linkCount = 0;
    std::string PlainText() const;
};

RichText ParseMarkup(std::string_view text);
// The whole text as one run, for controls without showhtml.
RichText PlainRichText(std::string_view text);

}  // namespace toolkit
