#pragma once

#include <cstdint>
#include <string>

namespace FuntionImpl {

// First file or folder called `name` in `folder` or below it, depth first; empty when none.
std::wstring FindFileRecursive(const std::wstring& folder, const std::wstring& name);
// Size as a 32-bit number (low 32 bits); 0 when the file cannot be opened.
std::uint32_t GetFileSize32(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// The user's temporary folder, ending with the separator.
std::wstring GetTempFolder();

}  // namespace FuntionImpl
