// Installs a setup's payload (a zip archive inside the setup file) into a folder, all or nothing:
// the files are extracted into a temporary folder beside the target, which is renamed into
// place only when every file was written. An entry whose name would land outside the target
// (absolute, "..", a symbolic link) makes the whole payload invalid. The setup's product manifest
// (sys/ProductManifest.h) describes the setup and is not installed.
#pragma once

#include <cstdint>
#include <string>

namespace setup {

enum class InstallResult { Installed, DamagedPayload, WriteFailed };

struct InstallReport {
    InstallResult result = InstallResult::Installed;
    std::string reason;  // for the log when not installed
    std::uint64_t files = 0;
};

InstallReport InstallPayload(const std::string& setupFile, std::uint64_t offset,
                             std::uint64_t length, const std::string& targetFolder);

}  // namespace setup
