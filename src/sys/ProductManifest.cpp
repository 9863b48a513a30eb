#include "sys/ProductManifest.h"

#include <zip.h>

#include <fstream>
#include <memory>

#include "platform/FsPath.h"
#include "sys/DottedVersion.h"
#include "sys/SetupFormat.h"

namespace FuntionImpl {
namespace {

bool HasControlCharacter(std::string_view text) {
    for (const unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// Sets `field` from the value of `key` the first time; false on a second time.
bool SetOnce(std::optional<std::string>& field, std::string_view value) {
    if (field) return false;
    field = std::string(value);
    return true;
}

std::optional<ProductManifest> Refused(std::string& why, std::string reason) {
    why = std::move(reason);
    return std::nullopt;
}

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// The manifest entry's bytes; nothing, with `why` set, when the archive has none or it is too big.
std::optional<std::string> ManifestEntry(zip_t* archive, std::string& why) {
    const zip_int64_t index = zip_name_locate(archive, kProductManifestEntry, 0);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        return why = "the payload carries no product manifest", std::nullopt;
    if (stat.size > kMaxProductManifestSize)
        return why = "the product manifest is larger than 4096 bytes", std::nullopt;
    std::unique_ptr<zip_file_t, ZipFileClose> file(
        zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    std::string text(stat.size, '\0');
    if (!file ||
        zip_fread(file.get(), text.data(), text.size()) != static_cast<zip_int64_t>(text.size()))
        return why = "the product manifest cannot be read", std::nullopt;
    return text;
}

}  // namespace

std::string ProductManifestText(const ProductManifest& manifest) {
    if (manifest.product.empty() || HasControlCharacter(manifest.product) ||
        !ParseDottedVersion(manifest.version))
        return {};
    return "product=" + manifest.product + "\nversion=" + manifest.version + "\n";
}

std::optional<ProductManifest> ParseProductManifest(std::string_view text, std::string& why) {
    if (text.size() > kMaxProductManifestSize)
        return Refused(why, "the product manifest is larger than 4096 bytes");
    std::optional<std::string> product;
    std::optional<std::string> version;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || HasControlCharacter(line))
            return Refused(why, "the product manifest has a line that is no key=value");
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if ((key == "product" && !SetOnce(product, value)) ||
            (key == "version" && !SetOnce(version, value)))
            return Refused(why, "the product manifest names its " + std::string(key) + " twice");
    }
    if (!product || product->empty()) return Refused(why, "the product manifest names no product");
    if (!version || !ParseDottedVersion(*version))
        return Refused(why, "the product manifest names no valid version");
    return ProductManifest{std::move(*product), std::move(*version)};
}

std::optional<ProductManifest> ReadProductManifest(const std::wstring& path, std::string& why) {
    const auto file = platform::FsPath(path);
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return Refused(why, "the package cannot be opened");
    const auto size = static_cast<std::uint64_t>(in.tellg());
    const auto span = FindPayload(in, size);
    if (!span) return Refused(why, "the package is no setup with a payload");
    std::string archiveWhy;
    const PayloadArchive archive = OpenPayloadArchive(path, *span, archiveWhy);
    if (!archive) return Refused(why, "the payload is no valid archive: " + archiveWhy);
    const std::optional<std::string> text = ManifestEntry(archive.get(), why);
    if (!text) return std::nullopt;
    return ParseProductManifest(*text, why);
}

}  // namespace FuntionImpl
