// The child program of the Windows process and mutex tests. Modes:
//   args ...                  prints its command line and each argument, exits with 7
//   env NAME ...              prints NAME=value (or "NAME unset") for each name
//   cwd                       prints its working folder
//   out-err CODE              prints "out" on standard output and "err" on standard error
//   sleep MS                  sleeps, then exits with 0
//   inherited HANDLE          reads the handle number; says whether it was inherited
//   hold MUTEX EVENT ORDER    locks the named mutex, prints L (or F), waits for the named event,
//                             then unlocks (ORDER "unlock") or ends holding it (ORDER "die")
//   resource NAME             prints its own resource NAME ("ZIPRES/138"), or "absent"
//   crash LOG DUMP MUTEX      holds MUTEX, plans the dump into DUMP (beside LOG with a time stamp
//                             when DUMP is "-") and faults; the restart is this program with
//                             "-dmp" and LOG's file name
//   -dmp ...                  the restarted one: writes its command line to the file that
//                             CVD_TEST_RESTARTED names
#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/CrashHandler.h"
#include "platform/NamedMutex.h"
#include "platform/Resources.h"
#include "platform/Text.h"

namespace {

void Print(DWORD stream, const std::wstring& text) {
    const std::string utf8 = platform::WideToUtf8(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(stream), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
                nullptr);
}

void Print(const std::wstring& text) { Print(STD_OUTPUT_HANDLE, text); }

int Args(int count, wchar_t** args) {
    Print(L"cmd=[" + std::wstring(::GetCommandLineW()) + L"]\n");
    for (int i = 2; i < count; ++i) Print(L"arg=[" + std::wstring(args[i]) + L"]\n");
    return 7;
}

int Env(int count, wchar_t** args) {
    for (int i = 2; i < count; ++i) {
        wchar_t value[1024];
        const DWORD length = ::GetEnvironmentVariableW(args[i], value, 1024);
        Print(std::wstring(args[i]) + (length ? L"=" + std::wstring(value, length) : L" unset") +
              L"\n");
    }
    return 0;
}

int Cwd() {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    Print(std::wstring(folder) + L"\n");
    return 0;
}

int Inherited(const wchar_t* number) {
    const HANDLE handle =
        reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(number, nullptr, 10)));
    char data[16] = {};
    DWORD got = 0, available = 0;
    // Only the test's pipe holds this text; any other handle of that number reads otherwise.
    const bool read = ::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) &&
                      available > 0 && ::ReadFile(handle, data, sizeof data - 1, &got, nullptr);
    Print(read ? L"inherited:" + platform::Utf8ToWide(std::string(data, got)) + L"\n"
               : L"not inherited\n");
    return 0;
}

int Hold(const wchar_t* mutexName, const wchar_t* eventName, const std::wstring& order) {
    platform::NamedMutex mutex(mutexName);
    const bool locked = mutex.Lock(5000);
    Print(locked ? L"L\n" : L"F\n");
    HANDLE go = ::OpenEventW(SYNCHRONIZE, FALSE, eventName);
    if (go) ::WaitForSingleObject(go, 30000);
    if (order == L"die") ::ExitProcess(0);  // holding the mutex: the system abandons it
    mutex.Unlock();
    return 0;
}

int Resource(const wchar_t* name) {
    const platform::Bytes& bytes = platform::OwnResource(platform::WideToUtf8(name));
    Print(bytes.empty() ? L"absent\n"
                        : platform::Utf8ToWide(std::string(bytes.begin(), bytes.end())));
    return 0;
}

int Crash(const std::wstring& log, const std::wstring& dump, const wchar_t* mutexName) {
    platform::NamedMutex mutex(mutexName);
    if (!mutex.Lock(5000)) return 3;
    mutex.ReleaseOnCrash();
    platform::InstallCrashHandler();
    platform::CrashPlan plan;
    plan.logFile = log;
    const std::wstring folder = log.substr(0, log.find_last_of(L'\\') + 1);
    if (dump == L"-") {
        plan.dumpFolder = folder;
        plan.dumpPrefix = L"185_1.0.0.0_";
    } else {
        plan.dumpFile = dump;
    }
    plan.restartArguments = {L"-dmp", log.substr(folder.size())};
    platform::SetCrashPlan(plan);
    platform::TriggerCrashForTest();
    return 0;
}

int Restarted() {
    wchar_t marker[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"CVD_TEST_RESTARTED", marker, MAX_PATH)) return 2;
    const std::string line = platform::WideToUtf8(::GetCommandLineW());
    HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}

}  // namespace

int wmain(int count, wchar_t** args) {
    const std::wstring mode = count > 1 ? args[1] : L"";
    if (mode == L"args") return Args(count, args);
    if (mode == L"env") return Env(count, args);
    if (mode == L"cwd") return Cwd();
    if (mode == L"out-err" && count > 2) {
        Print(STD_OUTPUT_HANDLE, L"out\n");
        Print(STD_ERROR_HANDLE, L"err\n");
        return _wtoi(args[2]);
    }
    if (mode == L"sleep" && count > 2) {
        ::Sleep(static_cast<DWORD>(_wtoi(args[2])));
        return 0;
    }
    if (mode == L"inherited" && count > 2) return Inherited(args[2]);
    if (mode == L"hold" && count > 4) return Hold(args[2], args[3], args[4]);
    if (mode == L"resource" && count > 2) return Resource(args[2]);
    if (mode == L"crash" && count > 4) return Crash(args[2], args[3], args[4]);
    if (mode == L"-dmp") return Restarted();
    Print(L"unknown mode\n");
    return 2;
}
