// Offscreen renders draw into a WIC bitmap through Direct2D's software target, so they need no
// window; under Wine Direct2D still wants an X display to start.
#include <algorithm>
#include <cstring>

#include "platform/Text.h"
#include "render/d2d/D2DCanvas.h"
#include "render/d2d/Direct2D.h"
#include "toolkit/Combo.h"
#include "toolkit/Render.h"

namespace toolkit {
namespace {

using d2d::ComPtr;

void PaintOpenDropList(ID2D1RenderTarget* target, ComboUI& combo, D2DCanvas& canvas) {
    const Size view = combo.DropListViewSize();
    const Rect box = combo.GetPos();
    target->SetTransform(D2D1::Matrix3x2F::Translation(static_cast<float>(box.left),
                                                       static_cast<float>(box.bottom)));
    combo.PaintDropList(canvas, {0, 0, view.cx, view.cy}, combo.DropListScrollFor(view.cy), -1);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
}

// The tree painted onto a transparent premultiplied bitmap; empty pixels when Direct2D fails.
Pixels Paint(UiManager& manager, Size size, const RenderOptions& options, std::string& error) {
    Pixels pixels;
    const int scale = std::max(1, options.scale);
    const UINT width = static_cast<UINT>(size.cx * scale), height = static_cast<UINT>(size.cy * scale);
    d2d::ComScope com;
    ComPtr<IWICImagingFactory> wic = com.Usable() ? d2d::MakeWicFactory() : nullptr;
    ComPtr<IWICBitmap> bitmap;
    ComPtr<ID2D1RenderTarget> target;
    const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_SOFTWARE,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.0f * scale, 96.0f * scale);
    if (!wic || !d2d::D2DFactory() ||
        FAILED(wic->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA,
                                 WICBitmapCacheOnLoad, bitmap.GetAddressOf())) ||
        FAILED(d2d::D2DFactory()->CreateWicBitmapRenderTarget(bitmap.Get(), props,
                                                              target.GetAddressOf()))) {
        error = "Direct2D cannot draw here (no display?)";
        return pixels;
    }
    manager.SetDeviceScale(scale);
    manager.SetClientSize(size);
    target->BeginDraw();
    target->Clear(D2D1::ColorF(0, 0.0f));
    {
        D2DCanvas canvas(target.Get());
        manager.Paint(canvas, {0, 0, size.cx, size.cy});
        if (options.openCombo) PaintOpenDropList(target.Get(), *options.openCombo, canvas);
    }
    if (FAILED(target->EndDraw())) {
        error = "Direct2D could not finish the picture";
        return pixels;
    }
    pixels.width = static_cast<int>(width);
    pixels.height = static_cast<int>(height);
    pixels.argb.resize(static_cast<std::size_t>(width) * height);
    if (FAILED(bitmap->CopyPixels(nullptr, width * 4, width * height * 4,
                                  reinterpret_cast<BYTE*>(pixels.argb.data())))) {
        error = "the picture could not be read back";
        return {};
    }
    return pixels;
}

// PNG holds straight alpha.
std::vector<std::uint32_t> Unpremultiplied(const Pixels& pixels) {
    std::vector<std::uint32_t> out(pixels.argb);
    for (std::uint32_t& p : out) {
        const std::uint32_t a = p >> 24;
        if (a == 0 || a == 255) continue;
        auto channel = [&](int shift) { return std::min(255u, ((p >> shift) & 0xFF) * 255 / a); };
        p = (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
    return out;
}

bool WritePng(const Pixels& pixels, const std::string& path, std::string& error) {
    d2d::ComScope com;
    ComPtr<IWICImagingFactory> wic = com.Usable() ? d2d::MakeWicFactory() : nullptr;
    std::vector<std::uint32_t> straight = Unpremultiplied(pixels);
    const std::wstring file = platform::Utf8ToWide(path);
    const UINT stride = static_cast<UINT>(pixels.width) * 4;
    ComPtr<IWICBitmap> source;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const bool ok =
        wic &&
        SUCCEEDED(wic->CreateBitmapFromMemory(
            static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height),
            GUID_WICPixelFormat32bppBGRA, stride, stride * static_cast<UINT>(pixels.height),
            reinterpret_cast<BYTE*>(straight.data()), source.GetAddressOf())) &&
        SUCCEEDED(wic->CreateStream(stream.GetAddressOf())) &&
        SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf())) &&
        SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(frame.GetAddressOf(), nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(pixels.width),
                                 static_cast<UINT>(pixels.height))) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
        SUCCEEDED(frame->WriteSource(source.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
        SUCCEEDED(encoder->Commit());
    if (!ok) error = "cannot write " + path;
    return ok;
}

}  // namespace

Pixels RenderToPixels(UiManager& manager, Size size, const RenderOptions& options) {
    if (size.cx <= 0 || size.cy <= 0) return {};
    std::string error;
    return Paint(manager, size, options, error);
}

bool RenderToPng(UiManager& manager, Size size, const std::string& path, std::string& error,
                 const RenderOptions& options) {
    if (size.cx <= 0 || size.cy <= 0) {
        error = "the window has no size";
        return false;
    }
    const Pixels pixels = Paint(manager, size, options, error);
    return !pixels.argb.empty() && WritePng(pixels, path, error);
}

}  // namespace toolkit
