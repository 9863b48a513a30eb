// What a setup says it installs: the signed counterpart of the version resource a Windows setup
// carries. setup-builder writes it into the setup's payload as the entry ".cvd-product", which
// the setup program never installs. UTF-8 text, at most 4 KiB, one "key=value" per line:
//
//   product=Zorvik Video Converter
//   version=1.0.0.0
//
// Both keys are required, once each; other keys are ignored, so later builds may add some.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace FuntionImpl {

inline constexpr char kProductManifestEntry[] = ".cvd-product";
inline constexpr std::size_t kMaxProductManifestSize = 4096;

struct ProductManifest {
    std::string product;
    std::string version;  // a DottedVersion text
};

// Empty when the manifest cannot be written: an empty or multi-line product, or a version that
// is no DottedVersion.
std::string ProductManifestText(const ProductManifest& manifest);

// Nothing, with `why` set, when `text` is no valid manifest.
std::optional<ProductManifest> ParseProductManifest(std::string_view text, std::string& why);

// The manifest in the payload of the setup file `path`; nothing, with `why` set, when the file is
// no setup or its payload carries none.
std::optional<ProductManifest> ReadProductManifest(const std::wstring& path, std::string& why);

}  // namespace FuntionImpl
