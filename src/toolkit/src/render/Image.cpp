#include "toolkit/Image.h"

#include "render/PictureDecoder.h"

namespace toolkit {

std::shared_ptr<const Image> Image::Decode(const std::vector<std::uint8_t>& bytes, Color mask,
                                           int scale) {
    if (bytes.empty() || scale < 1) return nullptr;
    auto picture = DecodePicture(bytes);
    if (!picture) return nullptr;
    return FromStraightPixels(picture->width, picture->height, std::move(picture->argb), mask,
                              scale);
}

std::shared_ptr<const Image> Image::FromStraightPixels(int width, int height,
                                                       std::vector<std::uint32_t> argb,
                                                       Color mask, int scale) {
    if (width <= 0 || height <= 0 || scale < 1 ||
        argb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return nullptr;
    const Color maskRgb = mask & 0xFFFFFF;
    for (std::uint32_t& pixel : argb) {
        std::uint32_t a = pixel >> 24;
        if (mask != 0 && (pixel & 0xFFFFFF) == maskRgb) a = 0;
        const std::uint32_t r = ((pixel >> 16) & 0xFF) * a / 255;
        const std::uint32_t g = ((pixel >> 8) & 0xFF) * a / 255;
        const std::uint32_t b = (pixel & 0xFF) * a / 255;
        pixel = (a << 24) | (r << 16) | (g << 8) | b;
    }
    return std::shared_ptr<const Image>(new Image(width, height, std::move(argb), scale));
}

}  // namespace toolkit
