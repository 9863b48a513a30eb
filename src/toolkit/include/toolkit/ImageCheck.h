// Whether bytes hold a picture the toolkit can show, for code that checks a downloaded picture
// but never draws it (and so need not link the drawing part).
#pragma once

#include <cstdint>
#include <vector>

namespace toolkit {

// True when `bytes` decode completely as a picture (PNG, BMP, JPEG, GIF, ...).
bool IsDecodableImage(const std::vector<std::uint8_t>& bytes);

}  // namespace toolkit
