#include <cstring>
#include <limits>

#include "render/PictureDecoder.h"
#include "render/d2d/Direct2D.h"

namespace toolkit {

std::optional<DecodedPicture> DecodePicture(const std::vector<std::uint8_t>& bytes) {
    using d2d::ComPtr;
    if (bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
    d2d::ComScope com;
    if (!com.Usable()) return std::nullopt;
    ComPtr<IWICImagingFactory> factory = d2d::MakeWicFactory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    // WIC only reads the buffer, though its signature takes it writable.
    if (!factory || FAILED(factory->CreateStream(stream.GetAddressOf())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand,
                                                decoder.GetAddressOf())) ||
        FAILED(decoder->GetFrame(0, frame.GetAddressOf())))
        return std::nullopt;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > kMaxPictureSide || height > kMaxPictureSide)
        return std::nullopt;
    ComPtr<IWICFormatConverter> converter;
    // 32bppBGRA in memory is 0xAARRGGBB per pixel on a little-endian machine: straight ARGB.
    if (FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    DecodedPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.argb.resize(static_cast<std::size_t>(width) * height);
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                     reinterpret_cast<BYTE*>(picture.argb.data()))))
        return std::nullopt;
    return picture;
}

}  // namespace toolkit
