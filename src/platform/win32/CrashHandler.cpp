// Windows implementation: an unhandled-exception filter that writes a minidump
// (MiniDumpWriteDump, MiniDumpNormal) and starts the program again hidden through the shell. The
// plan is prepared outside the filter (the restart parameters, the program path) and published
// through one atomic pointer; old plans are kept, because a filter may still read one while a
// new one is set. The filter formats into fixed buffers only: the heap of a faulting process
// may be the damaged part.
#include "platform/CrashHandler.h"

#include <windows.h>
// dbghelp.h needs the declarations of windows.h first.
#include <dbghelp.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "CrashRelease.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace platform {
namespace win32 {
std::atomic<HANDLE> g_crashReleaseMutex{nullptr};
}  // namespace win32

namespace {

struct PreparedPlan {
    std::wstring dumpFile, dumpFolder, dumpPrefix, logFile, program, parameters;
};

std::atomic<const PreparedPlan*> g_plan{nullptr};
std::atomic<bool> g_crashing{false};

// One line in the program log's own format ("%datetime--[Thread](%thread) %msg"), appended.
class CrashLog {
public:
    explicit CrashLog(const PreparedPlan* plan)
        : file_(plan && !plan->logFile.empty()
                    ? ::CreateFileW(plan->logFile.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                    : INVALID_HANDLE_VALUE) {}
    ~CrashLog() {
        if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    }
    CrashLog(const CrashLog&) = delete;
    CrashLog& operator=(const CrashLog&) = delete;

    void Line(const char* message) {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        char line[512];
        const int length = std::snprintf(
            line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u,%03u--[Thread](%lu) %s\n", t.wYear,
            t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
            static_cast<unsigned long>(::GetCurrentThreadId()), message);
        if (length <= 0) return;
        const DWORD size = static_cast<DWORD>(
            length < static_cast<int>(sizeof line) ? length : static_cast<int>(sizeof line) - 1);
        DWORD written = 0;
        const HANDLE out = file_ != INVALID_HANDLE_VALUE ? file_ : ::GetStdHandle(STD_ERROR_HANDLE);
        ::WriteFile(out, line, size, &written, nullptr);
    }

private:
    HANDLE file_;
};

// Results as the log shows them: 1 for success, 0 for failure.
void ReleaseInstanceMutex(CrashLog& log) {
    const HANDLE mutex = win32::g_crashReleaseMutex.exchange(nullptr);
    if (!mutex) return;
    const BOOL released = ::ReleaseMutex(mutex);
    const DWORD releaseError = released ? 0 : ::GetLastError();
    const BOOL closed = ::CloseHandle(mutex);
    const DWORD closeError = closed ? 0 : ::GetLastError();
    char message[128];
    std::snprintf(message, sizeof message, " Release mutex: %d, %lu, %d, %lu", released ? 1 : 0,
                  static_cast<unsigned long>(releaseError), closed ? 1 : 0,
                  static_cast<unsigned long>(closeError));
    log.Line(message);
}

HANDLE CreateDump(const PreparedPlan& plan) {
    static wchar_t name[32768];
    if (!plan.dumpFile.empty()) {
        if (plan.dumpFile.size() >= std::size(name)) return INVALID_HANDLE_VALUE;
        std::wmemcpy(name, plan.dumpFile.c_str(), plan.dumpFile.size() + 1);
    } else {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        const int length =
            std::swprintf(name, std::size(name), L"%ls%ls%.4d%.2d%.2d%.2d%.2d%.2d%.3d.dmp",
                          plan.dumpFolder.c_str(), plan.dumpPrefix.c_str(), t.wYear, t.wMonth,
                          t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
        if (length < 0) return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

bool WriteDump(HANDLE file, EXCEPTION_POINTERS* exception) {
    MINIDUMP_EXCEPTION_INFORMATION info{};
    info.ThreadId = ::GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = TRUE;
    return ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file, MiniDumpNormal,
                               exception ? &info : nullptr, nullptr, nullptr) != FALSE;
}

void Restart(const PreparedPlan& plan) {
    if (plan.parameters.empty() || plan.program.empty()) return;
    ::ShellExecuteW(nullptr, L"open", plan.program.c_str(), plan.parameters.c_str(), nullptr,
                    SW_HIDE);
}

LONG WINAPI UnhandledExceptionHandler(EXCEPTION_POINTERS* exception) {
    if (g_crashing.exchange(true)) {
        ::Sleep(INFINITE);  // another thread is writing the dump; the process ends with it
    }
    const PreparedPlan* plan = g_plan.load();
    CrashLog log(plan);
    log.Line(" Exception handler entered.");
    ReleaseInstanceMutex(log);
    if (plan) {
        const HANDLE file = CreateDump(*plan);
        const DWORD createError = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
        char message[128];
        std::snprintf(message, sizeof message, " Create dmp file: %lld, %lu",
                      static_cast<long long>(reinterpret_cast<std::intptr_t>(file)),
                      static_cast<unsigned long>(createError));
        log.Line(message);
        if (file != INVALID_HANDLE_VALUE) {
            const bool written = WriteDump(file, exception);
            const DWORD writeError = written ? 0 : ::GetLastError();
            ::CloseHandle(file);
            std::snprintf(message, sizeof message, " Write dmp file: %d, %lu", written ? 1 : 0,
                          static_cast<unsigned long>(writeError));
            log.Line(message);
            if (written) Restart(*plan);
        }
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallCrashHandler() {
    // No system error box for the fault: the filter has reported it.
    ::SetErrorMode(::GetErrorMode() | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    ::SetUnhandledExceptionFilter(UnhandledExceptionHandler);
}

void SetCrashPlan(const CrashPlan& plan) {
    auto prepared = std::make_unique<PreparedPlan>();
    prepared->dumpFile = plan.dumpFile;
    prepared->dumpFolder = plan.dumpFolder;
    prepared->dumpPrefix = plan.dumpPrefix;
    prepared->logFile = plan.logFile;
    prepared->program = ModulePath();
    // " -dmp name"; an empty name still arrives as an argument, so the switch keeps its blank.
    for (const std::wstring& argument : plan.restartArguments)
        prepared->parameters += L" " + QuoteArgument(argument);
    // Published plans are never freed: a filter on another thread may be reading one.
    g_plan.store(prepared.release());
}

void TriggerCrashForTest() {
    // Both operands volatile, so the compiler can neither fold nor drop the division.
    volatile int dividend = 1;
    volatile int zero = 0;
    volatile int result = dividend / zero;
    (void)result;
    ::RaiseException(EXCEPTION_INT_DIVIDE_BY_ZERO, 0, 0, nullptr);
}

}  // namespace platform
