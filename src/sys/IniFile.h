// A reader with the rules of GetPrivateProfileInt: section and key names ignore case, the value
// is converted like _wtoi, a missing file, section or key gives the default.
#pragma once

#include <string>
#include <string_view>

namespace FuntionImpl {

int ReadIniInt(const std::wstring& file, const std::wstring& section, const std::wstring& key,
               int defaultValue);

// The same rules for the UTF-8 contents of a file already read.
int IniInt(std::string_view bytes, const std::wstring& section, const std::wstring& key,
           int defaultValue);

}  // namespace FuntionImpl
