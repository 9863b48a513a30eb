// What controls paint with. Coordinates are window pixels; clips nest.
#pragma once

#include <vector>

#include "toolkit/Font.h"
#include "toolkit/Geometry.h"
#include "toolkit/Image.h"
#include "toolkit/ImageDescriptor.h"
#include "toolkit/Markup.h"
#include "toolkit/ValueSyntax.h"

namespace toolkit {

enum class LineCap { Flat, Square, Round };
enum class LineJoin { Miter, Round, Bevel };

struct Pen {
    Color color = 0xFF000000;
    double width = 1.0;
    LineCap cap = LineCap::Flat;
    LineJoin join = LineJoin::Miter;
};

// Where and how a picture is drawn: `dest` in window pixels, `source` in picture pixels
// (empty = the whole picture), `corner` the nine-patch borders.
struct ImageDraw {
    Rect dest;
    Rect source;
    Rect corner;
    int fade = 255;
};

class FontTable {
public:
    virtual ~FontTable() = default;
    // The font with that id, or the default font when there is none.
    virtual FontDesc Font(int id) const = 0;
};

struct TextStyle {
    int font = -1;
    Color color = 0xFF000000;
    Color linkColor = 0xFF0000FF;
    Color linkHoverColor = 0xFFD3215F;
    int hotLink = -1;  // the link under the pointer
    HAlign align = HAlign::Left;
    VAlign valign = VAlign::Center;
    bool wordBreak = false;
    bool endEllipsis = false;
    // Paragraphs run right to left; `align` is taken literally either way.
    bool rightToLeft = false;
};

// Right to left, texts align to the other side: left becomes right and right becomes left.
inline HAlign MirroredAlign(HAlign align, bool rightToLeft) {
    if (!rightToLeft) return align;
    return align == HAlign::Left ? HAlign::Right : align == HAlign::Right ? HAlign::Left : align;
}

// Text layout over one rectangle: drawing, measuring and finding the link under a point share
// the same layout rules.
class TextEngine {
public:
    virtual ~TextEngine() = default;
    // Size of the text laid out in `maxWidth` (0 = unbounded, no word break).
    virtual Size Measure(const RichText& text, const TextStyle& style, const FontTable& fonts,
                         int maxWidth) const = 0;
    // The link number at `point` inside text laid out in `rect`, or -1.
    virtual int LinkAt(const RichText& text, const TextStyle& style, const FontTable& fonts,
                       const Rect& rect, Point point) const = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void PushClip(const Rect& rect) = 0;
    virtual void PopClip() = 0;

    virtual void FillRect(const Rect& rect, Color color) = 0;
    virtual void FillRoundRect(const Rect& rect, Radii radii, Color color) = 0;
    // Borders inside `rect`, one width per side, drawn as four filled bands.
    void StrokeRect(const Rect& rect, const Rect& widths, Color color);
    virtual void StrokeRoundRect(const Rect& rect, Radii radii, int width, Color color) = 0;
    virtual void DrawPolyline(const std::vector<PointF>& points, const Pen& pen) = 0;
    virtual void DrawImage(const Image& image, const ImageDraw& draw) = 0;
    virtual void DrawRichText(const RichText& text, const Rect& rect, const TextStyle& style,
                              const FontTable& fonts) = 0;
};

// Colours of alpha 0 with a non-zero colour (the six-digit forms) are drawn opaque: the
// documents use them for visible borders and texts. 0 itself means "no colour".
Color EffectiveColor(Color color);

}  // namespace toolkit
