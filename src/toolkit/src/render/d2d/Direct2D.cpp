#include "render/d2d/Direct2D.h"

#include <mutex>

#include "toolkit/Canvas.h"

namespace toolkit::d2d {

ID2D1Factory* D2DFactory() {
    static ID2D1Factory* factory = [] {
        ID2D1Factory* made = nullptr;
        D2D1_FACTORY_OPTIONS options{};
        if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory),
                                     &options, reinterpret_cast<void**>(&made))))
            return static_cast<ID2D1Factory*>(nullptr);
        return made;
    }();
    return factory;
}

IDWriteFactory* DWriteFactory() {
    static IDWriteFactory* factory = [] {
        IDWriteFactory* made = nullptr;
        if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                       reinterpret_cast<IUnknown**>(&made))))
            return static_cast<IDWriteFactory*>(nullptr);
        return made;
    }();
    return factory;
}

ComPtr<IWICImagingFactory> MakeWicFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.GetAddressOf()))))
        return nullptr;
    return factory;
}

D2D1_COLOR_F ToColorF(unsigned color) {
    color = EffectiveColor(color);
    return D2D1::ColorF(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                        (color & 0xFF) / 255.0f, ((color >> 24) & 0xFF) / 255.0f);
}

}  // namespace toolkit::d2d
