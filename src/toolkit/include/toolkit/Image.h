// A decoded picture with per-pixel alpha, immutable once made and shared between controls. It
// holds plain pixels; each drawing backend makes what it draws with from them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Geometry.h"

namespace toolkit {

class Image {
public:
    // PNG, BMP, JPEG, GIF (its first frame) and whatever else the build's decoder reads; nullptr
    // when the bytes are no picture. Pixels of `mask` (compared without alpha; 0 = none) become
    // transparent. A picture drawn for a `scale` times denser screen (name@2x.png) measures its
    // pixels divided by `scale`, so layouts place it exactly where they place the plain one.
    static std::shared_ptr<const Image> Decode(const std::vector<std::uint8_t>& bytes,
                                               Color mask = 0, int scale = 1);
    // From straight (not premultiplied) ARGB pixels, row by row; nullptr when the sizes do not
    // match the pixels.
    static std::shared_ptr<const Image> FromStraightPixels(int width, int height,
                                                           std::vector<std::uint32_t> argb,
                                                           Color mask = 0, int scale = 1);
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // In layout pixels.
    int Width() const { return pixelWidth_ / scale_; }
    int Height() const { return pixelHeight_ / scale_; }
    int Scale() const { return scale_; }
    // The picture's own pixels: premultiplied ARGB, row by row, PixelWidth() to a row.
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }

private:
    Image(int width, int height, std::vector<std::uint32_t> pixels, int scale)
        : pixelWidth_(width), pixelHeight_(height), pixels_(std::move(pixels)), scale_(scale) {}
    int pixelWidth_;
    int pixelHeight_;
    std::vector<std::uint32_t> pixels_;
    int scale_;
};

using ImagePtr = std::shared_ptr<const Image>;

}  // namespace toolkit
