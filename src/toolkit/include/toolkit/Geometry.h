// Plain geometry and colour values shared by layout, painting and events. Rectangles are
// half-open in pixels: [left, right) x [top, bottom).
#pragma once

#include <algorithm>
#include <cstdint>

namespace toolkit {

// The largest magnitude of a number read from a layout document, and of a coordinate a control
// is placed at. Documents come from outside: bounded inputs keep sums of a few coordinates inside
// int, and the sums over many children are computed wide and brought back with ClampCoordinate.
constexpr int kMaxDocumentNumber = 1000000;
constexpr int kMaxCoordinate = 1 << 26;

constexpr int ClampCoordinate(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -kMaxCoordinate, kMaxCoordinate));
}

// ARGB, alpha in the high byte, as written in the layout documents (#AARRGGBB).
using Color = std::uint32_t;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Rect&) const = default;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        if (r.IsEmpty()) return {};
        return r;
    }
    bool Intersects(const Rect& o) const { return !Intersect(o).IsEmpty(); }
    // Shrinks by four edge widths (an inset or padding written left, top, right, bottom).
    Rect Deflate(const Rect& edges) const {
        return {left + edges.left, top + edges.top, right - edges.right, bottom - edges.bottom};
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

// Corner radii of rounded fills and borders: horizontal, then vertical.
struct Radii {
    int x = 0;
    int y = 0;
    bool operator==(const Radii&) const = default;
    bool IsZero() const { return x <= 0 || y <= 0; }
};

struct PointF {
    double x = 0;
    double y = 0;
};

}  // namespace toolkit
