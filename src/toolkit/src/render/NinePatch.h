// How a picture with `corner` borders is cut: corners keep their size, edges stretch one way,
// the middle both ways. Shared by the backends' canvases.
#pragma once

#include <vector>

#include "toolkit/Canvas.h"

namespace toolkit {

struct PicturePiece {
    Rect source;
    Rect dest;
};

// One piece (source to dest) without corners, nine with them.
std::vector<PicturePiece> PicturePieces(const ImageDraw& draw);

}  // namespace toolkit
