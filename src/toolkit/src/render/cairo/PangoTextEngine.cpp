#include "render/cairo/PangoTextEngine.h"

#include "render/Backend.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace toolkit {
namespace {

// Pango measures in 1/PANGO_SCALE pixels held in int: longer lengths are cut to what it can hold.
constexpr int kMaxPangoPixels = std::numeric_limits<int>::max() / PANGO_SCALE;

int ToPango(double pixels) {
    return static_cast<int>(std::clamp(pixels, -double(kMaxPangoPixels), double(kMaxPangoPixels)) *
                            PANGO_SCALE);
}

// Layout results must not depend on the screen the text is measured for.
void SetFontOptions(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(context, options);
    pango_cairo_context_set_resolution(context, 96.0);
    cairo_font_options_destroy(options);
}

void AddColor(PangoAttrList* list, Color color, guint start, guint end) {
    color = EffectiveColor(color);
    auto channel = [color](int shift) {
        return static_cast<guint16>(((color >> shift) & 0xFF) * 257);
    };
    PangoAttribute* fg = pango_attr_foreground_new(channel(16), channel(8), channel(0));
    fg->start_index = start;
    fg->end_index = end;
    pango_attr_list_insert(list, fg);
    const guint8 alpha = static_cast<guint8>(color >> 24);
    if (alpha != 0xFF && alpha != 0) {
        PangoAttribute* a = pango_attr_foreground_alpha_new(static_cast<guint16>(alpha * 257));
        a->start_index = start;
        a->end_index = end;
        pango_attr_list_insert(list, a);
    }
}

}  // namespace

PangoFontDescription* MakeFontDescription(const FontDesc& font) {
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.face.c_str());
    pango_font_description_set_absolute_size(desc, ToPango(font.size > 0 ? font.size : 12));
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return desc;
}

PangoTextEngine& PangoTextEngine::Instance() {
    static PangoTextEngine engine;
    return engine;
}

TextEngine& BackendTextEngine() { return PangoTextEngine::Instance(); }

PangoTextEngine::PangoTextEngine() {
    measureContext_ = pango_font_map_create_context(pango_cairo_font_map_get_default());
    SetFontOptions(measureContext_);
}

PangoLayout* PangoTextEngine::Build(PangoContext* context, const RichText& text,
                                    const TextStyle& style, const FontTable& fonts,
                                    int width) const {
    SetFontOptions(context);
    // Every paragraph takes the window's direction, so an alignment means the same side for
    // Latin and Arabic text alike (Pango would otherwise swap it for right-to-left paragraphs).
    pango_context_set_base_dir(context,
                               style.rightToLeft ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_auto_dir(layout, FALSE);
    std::string all;
    PangoAttrList* attrs = pango_attr_list_new();
    const FontDesc base = fonts.Font(style.font);
    for (const TextRun& run : text.runs) {
        const guint start = static_cast<guint>(all.size());
        all += run.text;
        const guint end = static_cast<guint>(all.size());
        const FontDesc font = run.font >= 0 ? fonts.Font(run.font) : base;
        PangoFontDescription* desc = MakeFontDescription(font);
        PangoAttribute* fa = pango_attr_font_desc_new(desc);
        pango_font_description_free(desc);
        fa->start_index = start;
        fa->end_index = end;
        pango_attr_list_insert(attrs, fa);
        Color color = run.color.value_or(style.color);
        if (run.link >= 0 && !run.colorInsideLink)
            color = run.link == style.hotLink ? style.linkHoverColor : style.linkColor;
        AddColor(attrs, color, start, end);
        if (run.underline || font.underline) {
            PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            u->start_index = start;
            u->end_index = end;
            pango_attr_list_insert(attrs, u);
        }
    }
    pango_layout_set_text(layout, all.c_str(), static_cast<int>(all.size()));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
    PangoFontDescription* baseDesc = MakeFontDescription(base);
    pango_layout_set_font_description(layout, baseDesc);
    pango_font_description_free(baseDesc);
    if (width > 0 && (style.wordBreak || style.endEllipsis)) {
        pango_layout_set_width(layout, ToPango(width));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        if (style.endEllipsis && !style.wordBreak)
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        const PangoAlignment align = style.align == HAlign::Center  ? PANGO_ALIGN_CENTER
                                     : style.align == HAlign::Right ? PANGO_ALIGN_RIGHT
                                                                    : PANGO_ALIGN_LEFT;
        pango_layout_set_alignment(layout, align);
    }
    return layout;
}

PangoTextEngine::Placed PangoTextEngine::Layout(PangoContext* context, const RichText& text,
                                                const TextStyle& style, const FontTable& fonts,
                                                const Rect& rect) const {
    Placed placed;
    placed.layout = Build(context, text, style, fonts, rect.Width());
    PangoRectangle logical;
    pango_layout_get_pixel_extents(placed.layout, nullptr, &logical);
    placed.x = rect.left;
    if (pango_layout_get_width(placed.layout) < 0) {
        // Without a layout width Pango does not align; place the block ourselves.
        const int spare = rect.Width() - logical.width;
        if (style.align == HAlign::Center)
            placed.x += spare / 2.0;
        else if (style.align == HAlign::Right)
            placed.x += spare;
        placed.x -= logical.x;
    }
    const int spareY = rect.Height() - logical.height;
    placed.y = rect.top;
    if (style.valign == VAlign::Center)
        placed.y += std::floor(spareY / 2.0);
    else if (style.valign == VAlign::Bottom)
        placed.y += spareY;
    return placed;
}

Size PangoTextEngine::Measure(const RichText& text, const TextStyle& style, const FontTable& fonts,
                              int maxWidth) const {
    std::lock_guard lock(mutex_);
    TextStyle s = style;
    if (maxWidth <= 0) s.wordBreak = s.endEllipsis = false;
    PangoLayout* layout = Build(measureContext_, text, s, fonts, maxWidth);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return {logical.width, logical.height};
}

int PangoTextEngine::LinkAt(const RichText& text, const TextStyle& style, const FontTable& fonts,
                            const Rect& rect, Point point) const {
    if (text.linkCount == 0 || !rect.Contains(point)) return -1;
    std::lock_guard lock(mutex_);
    Placed placed = Layout(measureContext_, text, style, fonts, rect);
    int index = 0, trailing = 0;
    const bool inside = pango_layout_xy_to_index(placed.layout, ToPango(point.x - placed.x),
                                                 ToPango(point.y - placed.y), &index, &trailing);
    g_object_unref(placed.layout);
    if (!inside) return -1;
    std::size_t offset = 0;
    for (const TextRun& run : text.runs) {
        if (static_cast<std::size_t>(index) < offset + run.text.size()) return run.link;
        offset += run.text.size();
    }
    return -1;
}

}  // namespace toolkit
