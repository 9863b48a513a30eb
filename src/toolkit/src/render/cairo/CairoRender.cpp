#include "toolkit/Render.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "render/cairo/CairoCanvas.h"
#include "toolkit/Combo.h"

namespace toolkit {
namespace {

void PaintOpenDropList(cairo_t* cr, ComboUI& combo) {
    const Size view = combo.DropListViewSize();
    const Rect box = combo.GetPos();
    cairo_save(cr);
    cairo_translate(cr, box.left, box.bottom);
    CairoCanvas canvas(cr);
    combo.PaintDropList(canvas, {0, 0, view.cx, view.cy}, combo.DropListScrollFor(view.cy), -1);
    cairo_restore(cr);
}

cairo_surface_t* Paint(UiManager& manager, Size size, const RenderOptions& options) {
    const int scale = std::max(1, options.scale);
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx * scale, size.cy * scale);
    cairo_surface_set_device_scale(surface, scale, scale);
    cairo_t* cr = cairo_create(surface);
    manager.SetDeviceScale(scale);
    manager.SetClientSize(size);
    CairoCanvas canvas(cr);
    manager.Paint(canvas, {0, 0, size.cx, size.cy});
    if (options.openCombo) PaintOpenDropList(cr, *options.openCombo);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace

Pixels RenderToPixels(UiManager& manager, Size size, const RenderOptions& options) {
    Pixels pixels;
    if (size.cx <= 0 || size.cy <= 0) return pixels;
    cairo_surface_t* surface = Paint(manager, size, options);
    const int w = cairo_image_surface_get_width(surface),
              h = cairo_image_surface_get_height(surface);
    pixels.width = w;
    pixels.height = h;
    pixels.argb.resize(static_cast<std::size_t>(w) * h);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y)
        std::memcpy(&pixels.argb[static_cast<std::size_t>(y) * w], data + y * stride, w * 4u);
    cairo_surface_destroy(surface);
    return pixels;
}

bool RenderToPng(UiManager& manager, Size size, const std::string& path, std::string& error,
                 const RenderOptions& options) {
    if (size.cx <= 0 || size.cy <= 0) {
        error = "the window has no size";
        return false;
    }
    cairo_surface_t* surface = Paint(manager, size, options);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot write ") + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace toolkit
