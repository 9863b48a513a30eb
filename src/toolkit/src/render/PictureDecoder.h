// The build's picture decoder (gdk-pixbuf on Linux, Windows Imaging Component on Windows).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace toolkit {

struct DecodedPicture {
    int width = 0;
    int height = 0;
    // Straight (not premultiplied) ARGB, row by row.
    std::vector<std::uint32_t> argb;
};

// Sides longer than this are no picture of a skin or a banner; the bound keeps a hostile header
// from asking for gigabytes.
inline constexpr int kMaxPictureSide = 16384;

// The first frame of `bytes`; nothing when they are no picture or a side exceeds the bound.
std::optional<DecodedPicture> DecodePicture(const std::vector<std::uint8_t>& bytes);

}  // namespace toolkit
