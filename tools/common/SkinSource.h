// Reading a skin package from wherever a developer has one: a built installer (its resource
// ZIPRES/138), a zip archive, or a skin folder (packed on the fly).
#pragma once

#include <optional>
#include <string>

#include "platform/Resources.h"
#include "toolkit/ZipArchive.h"

namespace cvdtools {

// The package as zip bytes, checked to open as a zip archive; nothing (and `error` set) when
// `source` is none of the three or its package is missing or unreadable.
std::optional<toolkit::Bytes> LoadSkinPackage(const std::string& source, std::string& error);

// The resources of a built installer; false (and `error` set) when the file is missing or
// unreadable or its resource block is damaged.
bool ReadInstallerResources(const std::string& installer, platform::ResourceMap& resources,
                            std::string& error);

// The skin package carried by a built installer, exactly as stored.
std::optional<toolkit::Bytes> ReadInstallerSkin(const std::string& installer, std::string& error);

}  // namespace cvdtools
