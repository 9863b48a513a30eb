#include "toolkit/Render.h"

#include <cairo.h>

#include <cstring>

#include "render/CairoCanvas.h"

namespace toolkit {
namespace {

cairo_surface_t* Paint(UiManager& manager, Size size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.cx, size.cy);
    cairo_t* cr = cairo_create(surface);
    manager.SetClientSize(size);
    CairoCanvas canvas(cr);
    manager.Paint(canvas, {0, 0, size.cx, size.cy});
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace

Pixels RenderToPixels(UiManager& manager, Size size) {
    Pixels pixels;
    if (size.cx <= 0 || size.cy <= 0) return pixels;
    cairo_surface_t* surface = Paint(manager, size);
    pixels.width = size.cx;
    pixels.height = size.cy;
    pixels.argb.resize(static_cast<std::size_t>(size.cx) * size.cy);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size.cy; ++y)
        std::memcpy(&pixels.argb[static_cast<std::size_t>(y) * size.cx], data + y * stride,
                    size.cx * 4u);
    cairo_surface_destroy(surface);
    return pixels;
}

bool RenderToPng(UiManager& manager, Size size, const std::string& path, std::string& error) {
    if (size.cx <= 0 || size.cy <= 0) {
        error = "the window has no size";
        return false;
    }
    cairo_surface_t* surface = Paint(manager, size);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = std::string("cannot write ") + path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace toolkit
