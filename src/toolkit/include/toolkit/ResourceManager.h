// Where the toolkit takes its documents, pictures and language files from: the skin package,
// handed over once at start-up as an in-memory zip archive. Thread-safe: reads may come from any
// thread (the configuration and language files are read off the UI thread).
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/ZipArchive.h"

namespace toolkit {

class ResourceManager {
public:
    static ResourceManager& Instance();

    // Replaces the archive with a copy of `data`; false (and no archive) when it is empty or not
    // a zip archive.
    bool SetZipArchive(const void* data, std::size_t size);
    // The folder that holds the skin's pictures; a trailing separator is added when missing.
    void SetResourceFolder(std::string folder);
    std::string ResourceFolder() const;

    bool HasArchive() const;
    std::optional<Bytes> Load(std::string_view path) const;
    // Drops the archive (toolkit shut-down).
    void Release();

private:
    ResourceManager() = default;
    mutable std::mutex mutex_;
    std::shared_ptr<const ZipArchive> archive_;
    std::string folder_;
};

}  // namespace toolkit
