// Painting a layered window: the picture is drawn with Direct2D into a premultiplied 32-bit DIB
// and handed to UpdateLayeredWindow, so every pixel keeps its own alpha (the shadow, rounded
// corners without black, anti-aliased edges).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "render/d2d/D2DCanvas.h"

namespace toolkit {

using LayeredPaint = std::function<void(D2DCanvas& canvas, ID2D1RenderTarget& target)>;

// Paints `size` layout pixels at `scale` screen pixels each; `paint` draws in layout pixels.
// The window is placed at `screen` (its top-left corner, in screen pixels). Where the system does
// not blend (`blended` false), every pixel that is not wholly transparent is laid over white and
// made opaque, as a window cut to its outline would look. False when Direct2D or GDI refused.
bool UpdateLayered(HWND window, Point screen, Size size, int scale, bool blended,
                   const LayeredPaint& paint);

// Premultiplied BGRA pixels over a white backdrop, opaque; wholly transparent ones stay so.
void FlattenOverWhite(std::uint32_t* pixels, std::size_t count);

}  // namespace toolkit
