#include "sys/ProcessFinder.h"

#include <algorithm>

#include "platform/ProcessList.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

std::wstring AsciiLower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; });
    return text;
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"/\\");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

struct Wanted {
    std::wstring name;     // N
    std::wstring tmpName;  // T, empty without the temp-copy flag
    std::wstring path;     // L
    bool tempCopy;
};

bool IsCandidate(const Wanted& wanted, const platform::RunningProcess& process) {
    const std::wstring name = AsciiLower(process.exeName);
    return name == wanted.name || (wanted.tempCopy && name == wanted.tmpName);
}

bool ImageMatches(const Wanted& wanted, const std::wstring& image) {
    if (image.empty()) return false;
    const std::wstring lower = AsciiLower(image);
    return lower == wanted.path || (wanted.tempCopy && lower.find(L".tmp") != std::wstring::npos);
}

}  // namespace

std::int32_t FindProcessByFullPath(const std::wstring& path, bool kill, bool tempCopy) {
    Wanted wanted{AsciiLower(FileNameOf(path)), {}, AsciiLower(path), tempCopy};
    if (tempCopy && wanted.name.size() >= 3)
        wanted.tmpName = wanted.name.substr(0, wanted.name.size() - 3) + L"tmp";

    const auto processes = platform::ListProcesses();
    if (!processes) return -2;
    const int self = platform::OwnProcessId();
    std::int32_t result = -1;
    for (const platform::RunningProcess& process : *processes) {
        if (!IsCandidate(wanted, process)) continue;
        CVD_LOG << " Find proc: " << process.pid;
        if (process.pid == self) continue;
        CVD_LOG << " Get proc info: " << process.exePath.size() << " " << process.exePath.size();
        if (!ImageMatches(wanted, process.exePath)) continue;
        result = process.pid;
        if (kill) {
            const int error = platform::KillProcess(process.pid);
            CVD_LOG << " Kill proc: " << result << " " << error;
        }
        if (!tempCopy) break;
    }
    return result;
}

}  // namespace FuntionImpl
