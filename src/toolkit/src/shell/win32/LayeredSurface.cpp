#include "shell/win32/LayeredSurface.h"

#include "render/d2d/D2DCanvas.h"
#include "render/d2d/Direct2D.h"

namespace toolkit {
namespace {

// A memory DC holding a top-down 32-bit DIB, released with the object.
class DibSection {
public:
    DibSection(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~DibSection() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    bool Ok() const { return bitmap_ != nullptr; }
    HDC Dc() const { return dc_; }
    HDC Screen() const { return screen_; }
    std::uint32_t* Pixels() const { return static_cast<std::uint32_t*>(bits_); }

private:
    HDC screen_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

void FlattenOverWhite(std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t alpha = pixels[i] >> 24;
        if (alpha == 0) continue;
        // Premultiplied: colour over white is colour + (255 - alpha) in each channel.
        const std::uint32_t white = 255 - alpha;
        pixels[i] = 0xFF000000u | (((pixels[i] >> 16 & 0xFF) + white) << 16) |
                    (((pixels[i] >> 8 & 0xFF) + white) << 8) | ((pixels[i] & 0xFF) + white);
    }
}

bool UpdateLayered(HWND window, Point screen, Size size, int scale, bool blended,
                   const LayeredPaint& paint) {
    const int width = size.cx * scale, height = size.cy * scale;
    if (width <= 0 || height <= 0 || !d2d::D2DFactory()) return false;
    DibSection dib(width, height);
    if (!dib.Ok()) return false;
    const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.0f * scale, 96.0f * scale);
    d2d::ComPtr<ID2D1DCRenderTarget> target;
    const RECT bounds{0, 0, width, height};
    if (FAILED(d2d::D2DFactory()->CreateDCRenderTarget(&props, target.GetAddressOf())) ||
        FAILED(target->BindDC(dib.Dc(), &bounds)))
        return false;
    target->BeginDraw();
    target->Clear(D2D1::ColorF(0, 0.0f));
    {
        D2DCanvas canvas(target.Get());
        paint(canvas, *target.Get());
    }
    if (FAILED(target->EndDraw())) return false;
    if (!blended) {
        GdiFlush();
        FlattenOverWhite(dib.Pixels(), static_cast<std::size_t>(width) * height);
    }
    POINT source{0, 0};
    POINT destination{screen.x, screen.y};
    SIZE extent{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return UpdateLayeredWindow(window, dib.Screen(), &destination, &extent, dib.Dc(), &source, 0,
                               &blend, ULW_ALPHA) != FALSE;
}

}  // namespace toolkit
