#include "toolkit/Canvas.h"

#include "render/NinePatch.h"

namespace toolkit {

Color EffectiveColor(Color color) {
    if (color != 0 && (color >> 24) == 0) return color | 0xFF000000u;
    return color;
}

std::vector<PicturePiece> PicturePieces(const ImageDraw& draw) {
    const Rect& s = draw.source;
    const Rect& d = draw.dest;
    const Rect& c = draw.corner;
    if (c.left <= 0 && c.top <= 0 && c.right <= 0 && c.bottom <= 0) return {{s, d}};
    const int sx[4] = {s.left, s.left + c.left, s.right - c.right, s.right};
    const int sy[4] = {s.top, s.top + c.top, s.bottom - c.bottom, s.bottom};
    const int dx[4] = {d.left, d.left + c.left, d.right - c.right, d.right};
    const int dy[4] = {d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
    std::vector<PicturePiece> pieces;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            pieces.push_back({{sx[col], sy[row], sx[col + 1], sy[row + 1]},
                              {dx[col], dy[row], dx[col + 1], dy[row + 1]}});
    return pieces;
}

void Canvas::StrokeRect(const Rect& rect, const Rect& widths, Color color) {
    if (color == 0 || rect.IsEmpty()) return;
    FillRect({rect.left, rect.top, rect.right, rect.top + widths.top}, color);
    FillRect({rect.left, rect.bottom - widths.bottom, rect.right, rect.bottom}, color);
    FillRect(
        {rect.left, rect.top + widths.top, rect.left + widths.left, rect.bottom - widths.bottom},
        color);
    FillRect(
        {rect.right - widths.right, rect.top + widths.top, rect.right, rect.bottom - widths.bottom},
        color);
}

}  // namespace toolkit
