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
    // Pixels of `mask` (compared without alpha; 0 = none) become transparent.
    static std::shared_ptr<const Image> Decode(const std::vector<std::uint8_t>& bytes,
                                               Color mask = 0);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int Width() const;
    int Height() const;
    // The picture as a premultiplied ARGB32 cairo surface.
    cairo_surface_t* Surface() const { return surface_; }

private:
    explicit Image(cairo_surface_t* surface) : surface_(surface) {}
    cairo_surface_t* surface_;
};

using ImagePtr = std::shared_ptr<const Image>;

}  // namespace toolkit
