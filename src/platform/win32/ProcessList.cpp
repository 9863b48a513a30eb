// Windows implementation: the process walk is a Toolhelp snapshot with each image's full path
// (QueryFullProcessImageNameW); a process is ended with TerminateProcess.
#include "platform/ProcessList.h"

// windows.h first: the header after it needs its types.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <algorithm>
#include <vector>

#include "WinSupport.h"

namespace platform {
namespace {

// Empty when the process may not be asked (another user's, a protected one) or has ended.
std::wstring ImagePath(DWORD pid) {
    const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.Valid()) return {};
    std::vector<wchar_t> buffer(32768);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!::QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &length)) return {};
    return std::wstring(buffer.data(), length);
}

std::wstring FileName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::vector<RunningProcess>> ListProcesses() {
    const win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return std::nullopt;
    std::vector<RunningProcess> out;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        RunningProcess process;
        process.pid = static_cast<int>(entry.th32ProcessID);
        process.exePath = ImagePath(entry.th32ProcessID);
        process.exeName =
            process.exePath.empty() ? FileName(entry.szExeFile) : FileName(process.exePath);
        out.push_back(std::move(process));
    }
    std::sort(out.begin(), out.end(),
              [](const RunningProcess& a, const RunningProcess& b) { return a.pid < b.pid; });
    return out;
}

int OwnProcessId() { return static_cast<int>(::GetCurrentProcessId()); }

int KillProcess(int pid, unsigned waitMs) {
    const win32::UniqueHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
    if (!process.Valid()) return static_cast<int>(::GetLastError());
    if (!::TerminateProcess(process.Get(), 1)) return static_cast<int>(::GetLastError());
    // The image stays mapped, and so locked, until the process has ended.
    ::WaitForSingleObject(process.Get(), waitMs);
    return 0;
}

}  // namespace platform
