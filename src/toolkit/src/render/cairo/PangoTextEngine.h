// Text layout with Pango: marked-up runs become one PangoLayout with attributes per run.
#pragma once

#include <pango/pangocairo.h>

#include <mutex>

#include "toolkit/Canvas.h"

namespace toolkit {

class PangoTextEngine : public TextEngine {
public:
    static PangoTextEngine& Instance();

    Size Measure(const RichText& text, const TextStyle& style, const FontTable& fonts,
                 int maxWidth) const override;
    int LinkAt(const RichText& text, const TextStyle& style, const FontTable& fonts,
               const Rect& rect, Point point) const override;

    // A layout of `text` for `rect` (owned by the caller) and the offset to draw it at.
    struct Placed {
        PangoLayout* layout = nullptr;
        double x = 0;
        double y = 0;
    };
    Placed Layout(PangoContext* context, const RichText& text, const TextStyle& style,
                  const FontTable& fonts, const Rect& rect) const;

private:
    PangoTextEngine();
    PangoLayout* Build(PangoContext* context, const RichText& text, const TextStyle& style,
                       const FontTable& fonts, int width) const;
    // Measuring shares one context; layouts may be measured off the UI thread.
    mutable std::mutex mutex_;
    PangoContext* measureContext_;
};

PangoFontDescription* MakeFontDescription(const FontDesc& font);

}  // namespace toolkit
