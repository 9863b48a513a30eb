// The canvas over a cairo context: a window's surface in the shell, an image surface headless.
#pragma once

#include <cairo.h>

#include "toolkit/Canvas.h"

namespace toolkit {

// A cairo surface over the picture's pixels (valid while the picture lives); the caller destroys it.
cairo_surface_t* ImageSurface(const Image& image);

class CairoCanvas : public Canvas {
public:
    explicit CairoCanvas(cairo_t* cr);

    void PushClip(const Rect& rect) override;
    void PopClip() override;
    void FillRect(const Rect& rect, Color color) override;
    void FillRoundRect(const Rect& rect, Radii radii, Color color) override;
    void StrokeRoundRect(const Rect& rect, Radii radii, int width, Color color) override;
    void DrawPolyline(const std::vector<PointF>& points, const Pen& pen) override;
    void DrawImage(const Image& image, const ImageDraw& draw) override;
    void DrawRichText(const RichText& text, const Rect& rect, const TextStyle& style,
                      const FontTable& fonts) override;

private:
    void SetColor(Color color);
    void RoundRectPath(double x, double y, double w, double h, double rx, double ry);
    void DrawPiece(const Image& image, const Rect& source, const Rect& dest);

    cairo_t* cr_;
};

}  // namespace toolkit
