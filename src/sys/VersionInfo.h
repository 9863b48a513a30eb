// Version texts of executables. The installer's own version is compiled in; other files report
// the version their package format carries, empty when none.
#pragma once

#include <array>
#include <string>

namespace FuntionImpl {

// "%d.%d.%d.%d" of the file's version, or empty.
std::string GetFileVersionText(const std::string& path);
std::wstring GetFileVersionText(const std::wstring& path);

// ProductName, ProductVersion, LegalCopyright, FileDescription; each "0" when unknown.
std::array<std::wstring, 4> GetVersionStrings(const std::wstring& path);

// The running installer's own version, "%d.%d.%d.%d".
std::string OwnVersionText();

}  // namespace FuntionImpl
