#include "sys/VersionInfo.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

// Executables carry no version resource on Linux, so only the running installer, whose version
// is compiled in, has one; every other file reports none.
bool IsOwnExecutable(const std::wstring& path) {
    std::error_code error;
    return !path.empty() &&
           std::filesystem::equivalent(platform::FsPath(path),
                                       platform::FsPath(platform::ModulePath()), error);
}

// The build's version may have fewer than four parts; missing parts read as 0.
std::string FourPartVersion(const char* text) {
    int part[4] = {0, 0, 0, 0};
    std::sscanf(text, "%d.%d.%d.%d", &part[0], &part[1], &part[2], &part[3]);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", part[0], part[1], part[2], part[3]);
    return buffer;
}

}  // namespace

std::string OwnVersionText() {
    static const std::string version = FourPartVersion(CVD_VERSION_TEXT);
    return version;
}

std::string GetFileVersionText(const std::string& path) {
    return Utf16ToUtf8(GetFileVersionText(Utf8ToUtf16(path)));
}

std::wstring GetFileVersionText(const std::wstring& path) {
    return IsOwnExecutable(path) ? Utf8ToUtf16(OwnVersionText()) : std::wstring();
}

std::array<std::wstring, 4> GetVersionStrings(const std::wstring& path) {
    std::array<std::wstring, 4> strings = {L"0", L"0", L"0", L"0"};
    if (IsOwnExecutable(path)) strings[1] = Utf8ToUtf16(OwnVersionText());
    return strings;
}

}  // namespace FuntionImpl
