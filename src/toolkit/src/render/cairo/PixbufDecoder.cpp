#include <gdk-pixbuf/gdk-pixbuf.h>

#include "render/PictureDecoder.h"

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

std::optional<DecodedPicture> DecodePicture(const std::vector<std::uint8_t>& bytes) {
    GdkPixbuf* pixbuf = DecodePixbuf(bytes);
    if (!pixbuf) return std::nullopt;
    DecodedPicture picture;
    picture.width = gdk_pixbuf_get_width(pixbuf);
    picture.height = gdk_pixbuf_get_height(pixbuf);
    if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxPictureSide ||
        picture.height > kMaxPictureSide) {
        g_object_unref(pixbuf);
        return std::nullopt;
    }
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    picture.argb.resize(static_cast<std::size_t>(picture.width) * picture.height);
    std::uint32_t* out = picture.argb.data();
    for (int y = 0; y < picture.height; ++y) {
        const guchar* s = src + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < picture.width; ++x, s += channels) {
            const std::uint32_t a = alpha ? s[3] : 255;
            *out++ = (a << 24) | (std::uint32_t(s[0]) << 16) | (std::uint32_t(s[1]) << 8) | s[2];
        }
    }
    g_object_unref(pixbuf);
    return picture;
}

}  // namespace toolkit
