// Whether a product's first start will run its own .NET check: the product folder's
// "NetFrameCheck.db" names the .NET 4 version it needs, the machine records the installed one.
// There is no .NET on Linux, so the installed version normally reads as absent.
#pragma once

#include <array>
#include <string>

namespace FuntionImpl {

// True when the version required by folder/NetFrameCheck.db is higher than the installed one.
bool WillShowNetFrameCheck(const std::wstring& productFolder);

// NetFrameworkVersion of the [Settings] section of the file's text, read before any [Text]
// line; empty when there is none.
std::wstring RequiredNetFrameVersion(const std::string& fileText);
// Up to four decimal parts, missing ones 0.
std::array<int, 4> VersionParts(const std::wstring& version);

}  // namespace FuntionImpl
