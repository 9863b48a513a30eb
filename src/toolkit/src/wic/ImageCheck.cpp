#include "toolkit/ImageCheck.h"

#include <wincodec.h>
#include <windows.h>

#include <limits>

namespace toolkit {
namespace {

// Wider pictures are no banner; the bound also keeps one decoded row small.
constexpr UINT kMaxSide = 16384;

template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread for the length of one check; a thread that already has it keeps its mode.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// Decodes every row of the first frame, so damaged pixel data fails and not only a damaged
// header. (The Linux decoder is more lenient: it shows a picture cut short as far as it goes.)
bool DecodesCompletely(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return false;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return false;
    std::vector<BYTE> row(static_cast<std::size_t>(width) * 4);
    for (UINT y = 0; y < height; ++y) {
        const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        if (FAILED(
                converter->CopyPixels(&rect, width * 4, static_cast<UINT>(row.size()), row.data())))
            return false;
    }
    return true;
}

}  // namespace

bool IsDecodableImage(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return false;
    ComScope com;
    if (!com.Usable()) return false;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.Out()))))
        return false;
    ComRef<IWICStream> stream;
    // WIC only reads the buffer, though its signature takes it writable.
    if (FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))))
        return false;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.Out())))
        return false;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Out()))) return false;
    return DecodesCompletely(factory.Get(), frame.Get());
}

}  // namespace toolkit
