// The process's Direct2D, DirectWrite and WIC factories, made on first use. The Direct2D factory
// is the multi-threaded kind and DirectWrite's is shared, so any thread may use them; WIC is
// used through COM, which each calling thread enters with a ComScope.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

namespace toolkit::d2d {

using Microsoft::WRL::ComPtr;

// COM for this thread while the scope lives; a thread that already has it keeps its mode.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// nullptr when the system lacks it.
ID2D1Factory* D2DFactory();
IDWriteFactory* DWriteFactory();
// A new WIC factory for the calling thread (inside a ComScope).
ComPtr<IWICImagingFactory> MakeWicFactory();

// The toolkit's colour (0xAARRGGBB, see EffectiveColor) as Direct2D's.
D2D1_COLOR_F ToColorF(unsigned color);

}  // namespace toolkit::d2d
