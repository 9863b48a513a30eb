// Whole-file reads and writes for the developer tools, with readable errors.
#pragma once

#include <optional>
#include <string>

#include "toolkit/ZipArchive.h"

namespace cvdtools {

std::optional<toolkit::Bytes> ReadFileBytes(const std::string& path, std::string& error);

// Writes to a temporary file beside `path` and renames it over `path`, so an interrupted run
// never leaves a half-written file under the final name.
bool WriteFileAtomically(const std::string& path, const toolkit::Bytes& bytes, std::string& error);

}  // namespace cvdtools
