// An image attribute: a bare package path or a descriptor of pairs file='…' dest='…'
// source='…' corner='…' mask='…' gdiplus='…'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/Geometry.h"

namespace toolkit {

struct ImageDescriptor {
    std::string file;
    std::optional<Rect> dest;    // inside the control, relative to its top-left corner
    std::optional<Rect> source;  // part of the picture to take
    Rect corner;                 // nine-patch borders that are not stretched
    Color mask = 0;              // this colour becomes transparent
    bool gdiplus = false;        // accepted; every picture is drawn with alpha
    int fade = 255;

    bool IsEmpty() const { return file.empty(); }
};

ImageDescriptor ParseImageDescriptor(std::string_view text);

}  // namespace toolkit
