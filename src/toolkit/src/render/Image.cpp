#include "toolkit/Image.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>

namespace toolkit {
namespace {

GdkPixbuf* DecodePixbuf(const std::vector<std::uint8_t>& bytes) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf) g_object_ref(pixbuf);
    } else {
        gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
    return pixbuf;
}

}  // namespace

std::shared_ptr<const Image> Image::Decode(const std::vector<std::uint8_t>& bytes, Color mask,
                                           int scale) {
    if (bytes.empty() || scale < 1) return nullptr;
    GdkPixbuf* pixbuf = DecodePixbuf(bytes);
    if (!pixbuf) return nullptr;
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int srcStride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        g_object_unref(pixbuf);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    const Color maskRgb = mask & 0xFFFFFF;
    for (int y = 0; y < h; ++y) {
        const guchar* s = src + y * srcStride;
        auto* d = reinterpret_cast<std::uint32_t*>(dst + y * dstStride);
        for (int x = 0; x < w; ++x, s += channels) {
            std::uint32_t a = alpha ? s[3] : 255;
            const std::uint32_t rgb =
                (std::uint32_t(s[0]) << 16) | (std::uint32_t(s[1]) << 8) | s[2];
            if (mask != 0 && rgb == maskRgb) a = 0;
            const std::uint32_t r = s[0] * a / 255, g = s[1] * a / 255, b = s[2] * a / 255;
            d[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    // Cairo then draws it at its layout size with every pixel kept on a dense surface.
    cairo_surface_set_device_scale(surface, scale, scale);
    g_object_unref(pixbuf);
    return std::shared_ptr<const Image>(new Image(surface, scale));
}

Image::~Image() { cairo_surface_destroy(surface_); }
int Image::Width() const { return cairo_image_surface_get_width(surface_) / scale_; }
int Image::Height() const { return cairo_image_surface_get_height(surface_) / scale_; }

}  // namespace toolkit
