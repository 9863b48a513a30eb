#include "SkinSource.h"

#include <filesystem>

#include "FileBytes.h"
#include "platform/FsPath.h"
#include "platform/Resources.h"
#include "platform/Text.h"

namespace cvdtools {
namespace {

// Local-file header or, for an archive without entries, end-of-central-directory record.
bool LooksLikeZip(const toolkit::Bytes& bytes) {
    if (bytes.size() < 4 || bytes[0] != 'P' || bytes[1] != 'K') return false;
    return (bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6);
}

std::optional<toolkit::Bytes> CheckedZip(std::optional<toolkit::Bytes> zip,
                                         const std::string& source, std::string& error) {
    if (!zip) return std::nullopt;
    if (!toolkit::ZipArchive::FromMemory(zip->data(), zip->size())) {
        error = source + ": the skin package is not a readable zip archive";
        return std::nullopt;
    }
    return zip;
}

std::optional<toolkit::Bytes> PackSkinFolder(const std::string& folder, std::string& error) {
    auto zip = toolkit::PackFolder(folder);
    if (!zip) error = folder + ": cannot pack the skin folder";
    return zip;
}

std::optional<toolkit::Bytes> TakeSkin(platform::ResourceMap& resources) {
    const auto found = resources.find(std::string(platform::kSkinResource));
    if (found == resources.end()) return std::nullopt;
    return std::move(found->second);
}

}  // namespace

bool ReadInstallerResources(const std::string& installer, platform::ResourceMap& resources,
                            std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(platform::Utf8Path(installer), ec)) {
        error = installer + ": not an existing file";
        return false;
    }
    if (!platform::ReadResources(platform::Utf8ToWide(installer), resources)) {
        error = installer + ": cannot read its resources (unreadable file or damaged block)";
        return false;
    }
    return true;
}

std::optional<toolkit::Bytes> ReadInstallerSkin(const std::string& installer, std::string& error) {
    platform::ResourceMap resources;
    if (!ReadInstallerResources(installer, resources, error)) return std::nullopt;
    auto skin = TakeSkin(resources);
    if (!skin)
        error = installer + ": carries no skin package (resource " +
                std::string(platform::kSkinResource) + ")";
    return skin;
}

std::optional<toolkit::Bytes> LoadSkinPackage(const std::string& source, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(platform::Utf8Path(source), ec))
        return CheckedZip(PackSkinFolder(source, error), source, error);
    auto bytes = ReadFileBytes(source, error);
    if (!bytes) return std::nullopt;
    if (LooksLikeZip(*bytes)) return CheckedZip(std::move(bytes), source, error);
    platform::ResourceMap resources;
    if (!ReadInstallerResources(source, resources, error)) return std::nullopt;
    auto skin = TakeSkin(resources);
    if (!skin) {
        error = source + ": not a skin folder, a zip archive or an installer carrying a skin " +
                "package (resource " + std::string(platform::kSkinResource) + ")";
        return std::nullopt;
    }
    return CheckedZip(std::move(skin), source, error);
}

}  // namespace cvdtools
