// Painting a window's tree without any display: into an ARGB image, written as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/UiManager.h"

namespace toolkit {

// Premultiplied ARGB pixels, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t Alpha(int x, int y) const { return static_cast<std::uint8_t>(At(x, y) >> 24); }
};

struct RenderOptions {
    // Image pixels per layout pixel, as on a desktop of that scale.
    int scale = 1;
    // A combo whose drop list is drawn open below it, as the shell shows it.
    ComboUI* openCombo = nullptr;
};

// Lays the tree out for `size` and paints it onto a transparent image of size x scale pixels.
Pixels RenderToPixels(UiManager& manager, Size size, const RenderOptions& options = {});
// false (and `error` set) when the file cannot be written.
bool RenderToPng(UiManager& manager, Size size, const std::string& path, std::string& error,
                 const RenderOptions& options = {});

}  // namespace toolkit
