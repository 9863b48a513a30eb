// A zip archive held in memory. Entry look-ups ignore letter case and treat '\' and '/' alike,
// because layout documents name pictures either way ("skin\Combo_over.png" finds
// "skin/combo_over.png").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

using Bytes = std::vector<std::uint8_t>;

class ZipArchive {
public:
    // Keeps its own copy of `data`; nullptr when it is not a readable zip archive.
    static std::unique_ptr<ZipArchive> FromMemory(const void* data, std::size_t size);
    ~ZipArchive();

    bool Contains(std::string_view path) const;
    std::optional<Bytes> Read(std::string_view path) const;
    // Stored entry names, in archive order (folders excluded).
    std::vector<std::string> Entries() const;

private:
    struct Impl;
    explicit ZipArchive(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Packs every file below `folder` into a zip archive (deflated, paths relative to the folder
// with '/'); nothing when the folder cannot be read.
std::optional<Bytes> PackFolder(const std::string& folder);

}  // namespace toolkit
