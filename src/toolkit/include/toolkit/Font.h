#pragma once

#include <string>

namespace toolkit {

// A font of a window's font table. `size` is a pixel height; fontconfig picks a substitute
// when the face is not installed.
struct FontDesc {
    std::string face = "Tahoma";
    int size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const FontDesc&) const = default;
};

}  // namespace toolkit
