#include "render/cairo/CairoCanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/NinePatch.h"
#include "render/cairo/PangoTextEngine.h"

namespace toolkit {

CairoCanvas::CairoCanvas(cairo_t* cr) : cr_(cr) {}

cairo_surface_t* ImageSurface(const Image& image) {
    // Cairo only reads a source surface: the picture's pixels are used in place.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(image.Pixels().data()));
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        data, CAIRO_FORMAT_ARGB32, image.PixelWidth(), image.PixelHeight(),
        image.PixelWidth() * 4);
    // Drawn at its layout size, with every pixel kept on a dense surface.
    cairo_surface_set_device_scale(surface, image.Scale(), image.Scale());
    return surface;
}

void CairoCanvas::SetColor(Color color) {
    color = EffectiveColor(color);
    cairo_set_source_rgba(cr_, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, ((color >> 24) & 0xFF) / 255.0);
}

void CairoCanvas::PushClip(const Rect& rect) {
    cairo_save(cr_);
    cairo_rectangle(cr_, rect.left, rect.top, std::max(0, rect.Width()),
                    std::max(0, rect.Height()));
    cairo_clip(cr_);
}

void CairoCanvas::PopClip() { cairo_restore(cr_); }

void CairoCanvas::FillRect(const Rect& rect, Color color) {
    if (color == 0 || rect.IsEmpty()) return;
    SetColor(color);
    cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(cr_);
}

void CairoCanvas::RoundRectPath(double x, double y, double w, double h, double rx, double ry) {
    rx = std::min(rx, w / 2.0);
    ry = std::min(ry, h / 2.0);
    cairo_new_sub_path(cr_);
    auto corner = [this, rx, ry](double cx, double cy, double from, double to) {
        cairo_save(cr_);
        cairo_translate(cr_, cx, cy);
        cairo_scale(cr_, rx, ry);
        cairo_arc(cr_, 0, 0, 1, from, to);
        cairo_restore(cr_);
    };
    constexpr double kPi = std::numbers::pi;
    corner(x + w - rx, y + ry, -kPi / 2, 0);
    corner(x + w - rx, y + h - ry, 0, kPi / 2);
    corner(x + rx, y + h - ry, kPi / 2, kPi);
    corner(x + rx, y + ry, kPi, 3 * kPi / 2);
    cairo_close_path(cr_);
}

void CairoCanvas::FillRoundRect(const Rect& rect, Radii radii, Color color) {
    if (color == 0 || rect.IsEmpty()) return;
    if (radii.IsZero()) return FillRect(rect, color);
    SetColor(color);
    RoundRectPath(rect.left, rect.top, rect.Width(), rect.Height(), radii.x, radii.y);
    cairo_fill(cr_);
}

void CairoCanvas::StrokeRoundRect(const Rect& rect, Radii radii, int width, Color color) {
    if (color == 0 || rect.IsEmpty() || width <= 0) return;
    SetColor(color);
    const double half = width / 2.0;
    RoundRectPath(rect.left + half, rect.top + half, rect.Width() - width, rect.Height() - width,
                  std::max(0.0, radii.x - half), std::max(0.0, radii.y - half));
    cairo_set_line_width(cr_, width);
    cairo_stroke(cr_);
}

void CairoCanvas::DrawPolyline(const std::vector<PointF>& points, const Pen& pen) {
    if (points.size() < 2 || pen.color == 0) return;
    cairo_save(cr_);
    SetColor(pen.color);
    cairo_set_line_width(cr_, pen.width);
    cairo_set_line_cap(cr_, pen.cap == LineCap::Square  ? CAIRO_LINE_CAP_SQUARE
                            : pen.cap == LineCap::Round ? CAIRO_LINE_CAP_ROUND
                                                        : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, pen.join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                             : pen.join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                           : CAIRO_LINE_JOIN_MITER);
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void CairoCanvas::DrawPiece(const Image& image, const Rect& source, const Rect& dest) {
    if (source.IsEmpty() || dest.IsEmpty()) return;
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(cr_);
    cairo_translate(cr_, dest.left, dest.top);
    cairo_scale(cr_, static_cast<double>(dest.Width()) / source.Width(),
                static_cast<double>(dest.Height()) / source.Height());
    cairo_surface_t* surface = ImageSurface(image);
    cairo_set_source_surface(cr_, surface, -source.left, -source.top);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_surface_destroy(surface);
}

void CairoCanvas::DrawImage(const Image& image, const ImageDraw& draw) {
    if (draw.fade < 255) cairo_push_group(cr_);
    for (const PicturePiece& piece : PicturePieces(draw)) DrawPiece(image, piece.source, piece.dest);
    if (draw.fade < 255) {
        cairo_pop_group_to_source(cr_);
        cairo_paint_with_alpha(cr_, std::max(0, draw.fade) / 255.0);
    }
}

void CairoCanvas::DrawRichText(const RichText& text, const Rect& rect, const TextStyle& style,
                               const FontTable& fonts) {
    if (text.runs.empty() || rect.IsEmpty()) return;
    PangoContext* context = pango_cairo_create_context(cr_);
    auto placed = PangoTextEngine::Instance().Layout(context, text, style, fonts, rect);
    cairo_save(cr_);
    cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr_);
    cairo_move_to(cr_, placed.x, placed.y);
    pango_cairo_show_layout(cr_, placed.layout);
    cairo_restore(cr_);
    g_object_unref(placed.layout);
    g_object_unref(context);
}

}  // namespace toolkit
