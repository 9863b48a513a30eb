#include "sys/NetFrameCheck.h"

#include <cstdio>
#include <memory>

#include "platform/Files.h"
#include "platform/FsPath.h"
#include "sys/Log.h"
#include "sys/RegistryUtils.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

constexpr std::size_t kMaxLine = 1023;
constexpr std::wstring_view kKey = L"NetFrameworkVersion";

std::string ReadFileText(const std::wstring& path) {
    const platform::FilePtr in = platform::OpenFile(path, "rb");
    if (!in) return {};
    std::string text;
    char buffer[4096];
    // The file is a few lines; anything much longer is not ours.
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, in.get())) {
        text.append(buffer, count);
        if (text.size() > 1024 * 1024) break;
    }
    return text;
}

// The value of a "NetFrameworkVersion=..." line; nothing for other lines.
bool VersionOfLine(const std::wstring& line, std::wstring& version) {
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || line.substr(0, equals) != kKey) return false;
    version = line.substr(equals + 1);
    return true;
}

}  // namespace

std::wstring RequiredNetFrameVersion(const std::string& fileText) {
    bool inSettings = false;
    std::size_t start = 0;
    while (start < fileText.size()) {
        std::size_t end = fileText.find('\n', start);
        if (end == std::string::npos) end = fileText.size();
        std::string raw = fileText.substr(start, std::min(end - start, kMaxLine));
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (raw.size() < 3) continue;
        const std::wstring line = Utf8ToUtf16(raw);
        if (line.find(L"[Text]") != std::wstring::npos) break;
        if (line.find(L"[Settings]") != std::wstring::npos) {
            inSettings = true;
            continue;
        }
        std::wstring version;
        if (inSettings && VersionOfLine(line, version)) return version;
    }
    return {};
}

std::array<int, 4> VersionParts(const std::wstring& version) {
    std::array<int, 4> parts{};
    std::size_t start = 0;
    for (int& part : parts) {
        if (start > version.size()) break;
        const std::size_t dot = version.find(L'.', start);
        part = WToI(
            version.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start));
        if (dot == std::wstring::npos) break;
        start = dot + 1;
    }
    return parts;
}

bool WillShowNetFrameCheck(const std::wstring& productFolder) {
    const std::wstring required = RequiredNetFrameVersion(
        ReadFileText(platform::WidePath(platform::FsPath(productFolder) / "NetFrameCheck.db")));
    if (required.empty()) return false;
    const std::wstring installed = ReadRegistryString(
        RegistryRoot::LocalMachine, L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Client",
        L"Version");
    CVD_LOG << " LocalNetFrame: " << Utf16ToUtf8(installed)
            << ", NeedNetFrame: " << Utf16ToUtf8(required);
    const std::array<int, 4> have = VersionParts(installed);
    const std::array<int, 4> need = VersionParts(required);
    for (std::size_t i = 0; i < have.size(); ++i)
        if (have[i] != need[i]) return have[i] < need[i];
    return false;
}

}  // namespace FuntionImpl
