// The canvas over a Direct2D render target: a window's bitmap in the shell, a WIC bitmap
// offscreen. The caller runs BeginDraw/EndDraw around its use.
#pragma once

#include <map>
#include <utility>

#include "render/d2d/Direct2D.h"
#include "toolkit/Canvas.h"

namespace toolkit {

class D2DCanvas : public Canvas {
public:
    explicit D2DCanvas(ID2D1RenderTarget* target);

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
    d2d::ComPtr<ID2D1SolidColorBrush> Brush(Color color);
    ID2D1Bitmap* Bitmap(const Image& image);
    void DrawPiece(ID2D1Bitmap* bitmap, int scale, const Rect& source, const Rect& dest,
                   float opacity);

    ID2D1RenderTarget* target_;
    // Pictures turned into bitmaps of this target, for the length of one paint.
    std::map<std::pair<const Image*, const void*>, d2d::ComPtr<ID2D1Bitmap>> bitmaps_;
};

}  // namespace toolkit
