// A decoded picture with per-pixel alpha, immutable once made and shared between controls.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace toolkit {

class Image {
public:
    // PNG, BMP, JPEG and whatever else gdk-pixbuf reads; nullptr when the bytes are no picture.
    // Pixels of `mask` (compared without alpha; 0 = none) become transparent. A picture drawn
    // for a `scale` times denser screen (name@2x.png) measures its pixels divided by `scale`,
    // so layouts place it exactly where they place the plain one.
    static std::shared_ptr<const Image> Decode(const std::vector<std::uint8_t>& bytes,
                                               Color mask = 0, int scale = 1);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // In layout pixels.
    int Width() const;
    int Height() const;
    int Scale() const { return scale_; }
    // The picture as a premultiplied ARGB32 cairo surface.
    cairo_surface_t* Surface() const { return surface_; }

private:
    Image(cairo_surface_t* surface, int scale) : surface_(surface), scale_(scale) {}
    cairo_surface_t* surface_;
    int scale_;
};

using ImagePtr = std::shared_ptr<const Image>;

}  // namespace toolkit
