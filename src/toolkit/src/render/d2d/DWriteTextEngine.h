// Text layout with DirectWrite: marked-up runs become one IDWriteTextLayout with a font, size,
// weight, style and underline per run. Layouts follow the Pango engine's rules, so a page lays
// out alike on both systems: every paragraph takes the window's direction, the alignment is
// taken literally, and text without a width to wrap in is placed in its rectangle by hand.
#pragma once

#include <string>
#include <vector>

#include "render/d2d/Direct2D.h"
#include "toolkit/Canvas.h"

namespace toolkit {

class DWriteTextEngine : public TextEngine {
public:
    static DWriteTextEngine& Instance();

    Size Measure(const RichText& text, const TextStyle& style, const FontTable& fonts,
                 int maxWidth) const override;
    int LinkAt(const RichText& text, const TextStyle& style, const FontTable& fonts,
               const Rect& rect, Point point) const override;

    // Where each run lies in the layout's UTF-16 text.
    struct RunRange {
        UINT32 start = 0;
        UINT32 length = 0;
    };
    // A layout of `text` for `rect` and the offset to draw it at; no layout when DirectWrite
    // is missing.
    struct Placed {
        d2d::ComPtr<IDWriteTextLayout> layout;
        std::vector<RunRange> runs;
        float x = 0;
        float y = 0;
    };
    Placed Layout(const RichText& text, const TextStyle& style, const FontTable& fonts,
                  const Rect& rect) const;

    // The installed family for a skin's face name: the face itself, else a common substitute.
    static std::wstring ResolveFamily(const std::string& face);

private:
    DWriteTextEngine() = default;
    Placed Build(const RichText& text, const TextStyle& style, const FontTable& fonts,
                 int width) const;
};

}  // namespace toolkit
