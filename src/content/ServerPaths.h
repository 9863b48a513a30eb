// Local file names built from server text. An answer is untrusted input: a name that the file
// name rule refuses (FuntionImpl::IsSafeFileNamePart) is refused, and the item that needed it is
// skipped, so no server answer can write outside the work directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace content {

// The last path segment of a URL (without query or fragment), split at its last '.': stem and
// extension (with its '.'); the extension is empty when there is no '.'.
void SplitUrlFileName(const std::wstring& url, std::wstring& stem, std::wstring& extension);

// workDirectory + sort + the extension of `bannerUrl` ("2.png"); nothing when refused.
std::optional<std::wstring> BannerPicturePath(const std::wstring& workDirectory,
                                              std::int32_t sort, const std::wstring& bannerUrl);

// workDirectory + stem + "_" + version + extension ("tool_1.2.0.exe"); nothing when refused.
std::optional<std::wstring> SubProgramLocalPath(const std::wstring& workDirectory,
                                                const std::wstring& downloadUrl,
                                                const std::wstring& version);

}  // namespace content
