#include "render/d2d/D2DCanvas.h"

#include <algorithm>

#include "render/NinePatch.h"
#include "render/d2d/DWriteTextEngine.h"

namespace toolkit {
namespace {

D2D1_RECT_F ToRectF(const Rect& r) {
    return D2D1::RectF(static_cast<float>(r.left), static_cast<float>(r.top),
                       static_cast<float>(r.right), static_cast<float>(r.bottom));
}

D2D1_CAP_STYLE ToCap(LineCap cap) {
    return cap == LineCap::Square  ? D2D1_CAP_STYLE_SQUARE
           : cap == LineCap::Round ? D2D1_CAP_STYLE_ROUND
                                   : D2D1_CAP_STYLE_FLAT;
}

D2D1_LINE_JOIN ToJoin(LineJoin join) {
    return join == LineJoin::Round   ? D2D1_LINE_JOIN_ROUND
           : join == LineJoin::Bevel ? D2D1_LINE_JOIN_BEVEL
                                     : D2D1_LINE_JOIN_MITER;
}

}  // namespace

D2DCanvas::D2DCanvas(ID2D1RenderTarget* target) : target_(target) {
    // ClearType needs an opaque background; windows here have per-pixel alpha.
    target_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
}

d2d::ComPtr<ID2D1SolidColorBrush> D2DCanvas::Brush(Color color) {
    d2d::ComPtr<ID2D1SolidColorBrush> brush;
    target_->CreateSolidColorBrush(d2d::ToColorF(color), brush.GetAddressOf());
    return brush;
}

void D2DCanvas::PushClip(const Rect& rect) {
    target_->PushAxisAlignedClip(ToRectF(rect), D2D1_ANTIALIAS_MODE_ALIASED);
}

void D2DCanvas::PopClip() { target_->PopAxisAlignedClip(); }

void D2DCanvas::FillRect(const Rect& rect, Color color) {
    if (color == 0 || rect.IsEmpty()) return;
    if (auto brush = Brush(color)) target_->FillRectangle(ToRectF(rect), brush.Get());
}

void D2DCanvas::FillRoundRect(const Rect& rect, Radii radii, Color color) {
    if (color == 0 || rect.IsEmpty()) return;
    if (radii.IsZero()) return FillRect(rect, color);
    const float rx = std::min(static_cast<float>(radii.x), rect.Width() / 2.0f);
    const float ry = std::min(static_cast<float>(radii.y), rect.Height() / 2.0f);
    if (auto brush = Brush(color))
        target_->FillRoundedRectangle(D2D1::RoundedRect(ToRectF(rect), rx, ry), brush.Get());
}

void D2DCanvas::StrokeRoundRect(const Rect& rect, Radii radii, int width, Color color) {
    if (color == 0 || rect.IsEmpty() || width <= 0) return;
    const float half = width / 2.0f;
    const D2D1_RECT_F inner = D2D1::RectF(rect.left + half, rect.top + half, rect.right - half,
                                          rect.bottom - half);
    const float w = inner.right - inner.left, h = inner.bottom - inner.top;
    const float rx = std::min(std::max(0.0f, radii.x - half), w / 2.0f);
    const float ry = std::min(std::max(0.0f, radii.y - half), h / 2.0f);
    if (auto brush = Brush(color))
        target_->DrawRoundedRectangle(D2D1::RoundedRect(inner, rx, ry), brush.Get(),
                                      static_cast<float>(width));
}

void D2DCanvas::DrawPolyline(const std::vector<PointF>& points, const Pen& pen) {
    if (points.size() < 2 || pen.color == 0) return;
    ID2D1Factory* factory = d2d::D2DFactory();
    d2d::ComPtr<ID2D1PathGeometry> path;
    d2d::ComPtr<ID2D1GeometrySink> sink;
    d2d::ComPtr<ID2D1StrokeStyle> stroke;
    const D2D1_STROKE_STYLE_PROPERTIES props = D2D1::StrokeStyleProperties(
        ToCap(pen.cap), ToCap(pen.cap), ToCap(pen.cap), ToJoin(pen.join));
    if (!factory || FAILED(factory->CreatePathGeometry(path.GetAddressOf())) ||
        FAILED(path->Open(sink.GetAddressOf())) ||
        FAILED(factory->CreateStrokeStyle(props, nullptr, 0, stroke.GetAddressOf())))
        return;
    sink->BeginFigure(D2D1::Point2F(static_cast<float>(points[0].x),
                                    static_cast<float>(points[0].y)),
                      D2D1_FIGURE_BEGIN_HOLLOW);
    for (std::size_t i = 1; i < points.size(); ++i)
        sink->AddLine(
            D2D1::Point2F(static_cast<float>(points[i].x), static_cast<float>(points[i].y)));
    sink->EndFigure(D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close())) return;
    if (auto brush = Brush(pen.color))
        target_->DrawGeometry(path.Get(), brush.Get(), static_cast<float>(pen.width),
                              stroke.Get());
}

ID2D1Bitmap* D2DCanvas::Bitmap(const Image& image) {
    const auto key = std::make_pair(&image, static_cast<const void*>(image.Pixels().data()));
    if (auto it = bitmaps_.find(key); it != bitmaps_.end()) return it->second.Get();
    d2d::ComPtr<ID2D1Bitmap> bitmap;
    const D2D1_BITMAP_PROPERTIES props = D2D1::BitmapProperties(
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    // Premultiplied ARGB words are premultiplied BGRA bytes on a little-endian machine.
    if (FAILED(target_->CreateBitmap(
            D2D1::SizeU(static_cast<UINT32>(image.PixelWidth()),
                        static_cast<UINT32>(image.PixelHeight())),
            image.Pixels().data(), static_cast<UINT32>(image.PixelWidth()) * 4, props,
            bitmap.GetAddressOf())))
        return nullptr;
    return (bitmaps_[key] = bitmap).Get();
}

void D2DCanvas::DrawPiece(ID2D1Bitmap* bitmap, int scale, const Rect& source, const Rect& dest,
                          float opacity) {
    if (source.IsEmpty() || dest.IsEmpty()) return;
    // Source rectangles are in layout pixels; the bitmap holds `scale` pixels for each.
    const D2D1_RECT_F from =
        D2D1::RectF(static_cast<float>(source.left * scale), static_cast<float>(source.top * scale),
                    static_cast<float>(source.right * scale),
                    static_cast<float>(source.bottom * scale));
    target_->DrawBitmap(bitmap, ToRectF(dest), opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                        &from);
}

void D2DCanvas::DrawImage(const Image& image, const ImageDraw& draw) {
    ID2D1Bitmap* bitmap = Bitmap(image);
    if (!bitmap) return;
    const float opacity = std::clamp(draw.fade, 0, 255) / 255.0f;
    for (const PicturePiece& piece : PicturePieces(draw))
        DrawPiece(bitmap, image.Scale(), piece.source, piece.dest, opacity);
}

void D2DCanvas::DrawRichText(const RichText& text, const Rect& rect, const TextStyle& style,
                             const FontTable& fonts) {
    if (text.runs.empty() || rect.IsEmpty()) return;
    auto placed = DWriteTextEngine::Instance().Layout(text, style, fonts, rect);
    auto ink = Brush(style.color);
    if (!placed.layout || !ink) return;
    std::vector<d2d::ComPtr<ID2D1SolidColorBrush>> brushes;
    for (std::size_t i = 0; i < text.runs.size(); ++i) {
        const TextRun& run = text.runs[i];
        Color color = run.color.value_or(style.color);
        if (run.link >= 0 && !run.colorInsideLink)
            color = run.link == style.hotLink ? style.linkHoverColor : style.linkColor;
        auto brush = Brush(color);
        if (!brush) continue;
        placed.layout->SetDrawingEffect(brush.Get(), {placed.runs[i].start, placed.runs[i].length});
        brushes.push_back(brush);
    }
    PushClip(rect);
    target_->DrawTextLayout(D2D1::Point2F(placed.x, placed.y), placed.layout.Get(), ink.Get());
    PopClip();
}

}  // namespace toolkit
