// Windows implementation: CreateProcessW with the command line as it stands, standard handles
// given through an explicit handle list (PROC_THREAD_ATTRIBUTE_HANDLE_LIST) so the child gets
// those and nothing else, the output on an anonymous pipe polled with PeekNamedPipe.
#include "platform/Process.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "CommandLine.h"
#include "WinSupport.h"
#include "platform/Clock.h"

namespace platform {

struct Process::Native {
    win32::UniqueHandle process;
    win32::UniqueHandle output;  // read end of the output pipe; none when nothing is captured
    bool killed = false;
};

namespace {

constexpr DWORD kPollMs = 5;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

SECURITY_ATTRIBUTES Inheritable() {
    return SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
}

// An inheritable copy of one of our standard handles; none when we have none.
win32::UniqueHandle InheritableCopy(DWORD which) {
    const HANDLE own = ::GetStdHandle(which);
    HANDLE copy = nullptr;
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), own, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return win32::UniqueHandle();
    return win32::UniqueHandle(copy);
}

// The handles the child starts with; they are ours to close once it has them.
struct ChildHandles {
    win32::UniqueHandle input, output, error;
    win32::UniqueHandle pipeRead;  // our end of the output pipe
};

bool MakeChildHandles(bool capture, ChildHandles& handles) {
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    handles.input =
        win32::UniqueHandle(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!capture) {
        handles.output = InheritableCopy(STD_OUTPUT_HANDLE);
        handles.error = InheritableCopy(STD_ERROR_HANDLE);
        return true;
    }
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inheritable, 0)) return false;
    handles.pipeRead = win32::UniqueHandle(read);
    handles.output = win32::UniqueHandle(write);
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE error = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), write, ::GetCurrentProcess(), &error, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return false;
    handles.error = win32::UniqueHandle(error);
    return true;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring_view NameOf(std::wstring_view entry) {
    // "=C:=C:\dir" entries keep the drives' folders; their name runs to the second '='.
    return entry.substr(0, entry.find(L'=', 1));
}

// Our environment with `changes` applied, as a sorted environment block.
std::vector<wchar_t> ChildEnvironment(
    const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
    std::vector<std::wstring> entries;
    if (wchar_t* own = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry; entry += wcslen(entry) + 1) {
            const std::wstring_view text(entry);
            const bool replaced = std::any_of(
                changes.begin(), changes.end(),
                [&](const auto& change) { return SameName(NameOf(text), change.first); });
            if (!replaced) entries.emplace_back(text);
        }
        ::FreeEnvironmentStringsW(own);
    }
    for (const auto& [name, value] : changes) entries.push_back(name + L"=" + value);
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
    });
    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// The command line CreateProcessW receives: the quoted program ahead of the arguments when the
// program is given apart, else the text as it stands.
std::wstring CommandLineOf(const ProcessOptions& options) {
    if (options.program.empty()) return options.commandLine;
    std::wstring line = QuoteArgument(options.program);
    if (!options.commandLine.empty() && !IsBlank(options.commandLine.front())) line += L' ';
    return line + options.commandLine;
}

bool IsElevated() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const win32::UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation,
                                 &size) &&
           elevation.TokenIsElevated;
}

// A primary token with the rights of the desktop shell (the process of the shell's window);
// none without a shell or when its token cannot be taken.
win32::UniqueHandle DesktopShellToken() {
    const HWND shell = ::GetShellWindow();
    DWORD pid = 0;
    if (!shell || !::GetWindowThreadProcessId(shell, &pid) || pid == 0)
        return win32::UniqueHandle();
    const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
    HANDLE token = nullptr, primary = nullptr;
    if (!process.Valid() || !::OpenProcessToken(process.Get(), TOKEN_DUPLICATE, &token))
        return win32::UniqueHandle();
    const win32::UniqueHandle shellToken(token);
    const DWORD rights = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY |
                         TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    if (!::DuplicateTokenEx(shellToken.Get(), rights, nullptr, SecurityImpersonation, TokenPrimary,
                            &primary))
        return win32::UniqueHandle();
    return win32::UniqueHandle(primary);
}

struct StartRequest {
    const wchar_t* application;
    std::wstring commandLine;
    DWORD flags;
    void* environment;
    const wchar_t* folder;
};

// The desktop user's route: an elevated process starts the child with the shell's token. False
// (and nothing started) when that route does not apply or fails; the caller starts it itself.
bool StartAsDesktopShell(StartRequest& request, PROCESS_INFORMATION& started) {
    if (!IsElevated()) return false;
    const win32::UniqueHandle token = DesktopShellToken();
    if (!token.Valid()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = request.commandLine;  // the call may write into it
    return ::CreateProcessWithTokenW(token.Get(), 0, request.application, line.data(),
                                     request.flags, request.environment, request.folder, &startup,
                                     &started) != FALSE;
}

// CreateProcessW handing the child exactly its standard handles.
bool StartWithHandles(StartRequest& request, const ChildHandles& handles, bool hidden,
                      PROCESS_INFORMATION& started, DWORD& error) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<BYTE> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
        error = ::GetLastError();
        return false;
    }
    std::vector<HANDLE> list;
    for (const win32::UniqueHandle* handle : {&handles.input, &handles.output, &handles.error})
        if (handle->Valid()) list.push_back(handle->Get());
    const bool listed =
        list.empty() ||
        ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, list.data(),
                                    list.size() * sizeof(HANDLE), nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | (hidden ? STARTF_USESHOWWINDOW : 0);
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = handles.input.Get();
    startup.StartupInfo.hStdOutput = handles.output.Get();
    startup.StartupInfo.hStdError = handles.error.Get();
    startup.lpAttributeList = attributes;
    std::wstring line = request.commandLine;  // CreateProcessW may write into it
    const bool ok = listed && ::CreateProcessW(
                                  request.application, line.data(), nullptr, nullptr, !list.empty(),
                                  request.flags | EXTENDED_STARTUPINFO_PRESENT, request.environment,
                                  request.folder, &startup.StartupInfo, &started);
    error = ok ? 0 : ::GetLastError();
    ::DeleteProcThreadAttributeList(attributes);
    return ok;
}

}  // namespace

bool KeepFileFromChildren(const std::wstring& path) {
    // Children receive only the handles Start lists for them.
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::unique_ptr<Process> Process::Start(const ProcessOptions& options, ProcessStartError* error,
                                        int* systemError) {
    auto fail = [error, systemError](ProcessStartError why, DWORD code) {
        if (error) *error = why;
        if (systemError) *systemError = static_cast<int>(code);
        return std::unique_ptr<Process>();
    };
    if (error) *error = ProcessStartError::None;
    if (systemError) *systemError = 0;
    const std::vector<std::wstring> args = SplitCommandLine(CommandLineOf(options));
    if (args.empty() || args[0].empty())
        return fail(ProcessStartError::StartFailed, ERROR_FILE_NOT_FOUND);

    ChildHandles handles;
    if (!MakeChildHandles(options.captureOutput, handles))
        return fail(ProcessStartError::PipeFailed, ::GetLastError());

    std::vector<wchar_t> environment;
    if (!options.environment.empty()) environment = ChildEnvironment(options.environment);
    StartRequest request{options.program.empty() ? nullptr : options.program.c_str(),
                         CommandLineOf(options),
                         // A child whose output we read gets a console nobody sees: a detached
                         // one would make a console program it starts (cmd.exe's ping) open a
                         // console of its own and write there instead of into our pipe.
                         static_cast<DWORD>(CREATE_UNICODE_ENVIRONMENT |
                                            (options.captureOutput ? CREATE_NO_WINDOW : 0)),
                         environment.empty() ? nullptr : environment.data(),
                         options.workingFolder.empty() ? nullptr : options.workingFolder.c_str()};
    if (options.newSession) request.flags |= CREATE_NEW_PROCESS_GROUP;

    PROCESS_INFORMATION started{};
    DWORD startError = 0;
    bool ok =
        options.asDesktopUser && !options.captureOutput && StartAsDesktopShell(request, started);
    if (!ok && options.newSession) {
        // Outside our job, so closing ours does not end it; a job may forbid that.
        request.flags |= CREATE_BREAKAWAY_FROM_JOB;
        ok = StartWithHandles(request, handles, options.captureOutput, started, startError);
        request.flags &= ~static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB);
    }
    if (!ok) ok = StartWithHandles(request, handles, options.captureOutput, started, startError);
    if (!ok) return fail(ProcessStartError::StartFailed, startError);
    ::CloseHandle(started.hThread);
    auto native = std::make_unique<Native>();
    native->process = win32::UniqueHandle(started.hProcess);
    native->output = std::move(handles.pipeRead);
    return std::unique_ptr<Process>(
        new Process(static_cast<int>(started.dwProcessId), std::move(native)));
}

Process::Process(int pid, std::unique_ptr<Native> native) : pid_(pid), native_(std::move(native)) {}

Process::~Process() = default;

Process::Read Process::ReadOutput(std::string& chunk, std::size_t maxBytes,
                                  std::uint32_t timeoutMs) {
    chunk.clear();
    const HANDLE output = native_->output.Get();
    if (!native_->output.Valid() || maxBytes == 0) return Read::Ended;
    const std::uint32_t start = TickCount();
    DWORD available = 0;
    for (;;) {
        // Fails with ERROR_BROKEN_PIPE once every writer has closed and nothing is left.
        if (!::PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr)) return Read::Ended;
        if (available > 0) break;
        const std::uint32_t spent = TickCount() - start;
        if (spent >= timeoutMs) return Read::Timeout;
        ::Sleep(std::min<DWORD>(kPollMs, timeoutMs - spent));
    }
    chunk.resize(std::min<std::size_t>({maxBytes, available, 1u << 30}));
    DWORD got = 0;
    if (!::ReadFile(output, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) ||
        got == 0) {
        chunk.clear();
        return Read::Ended;
    }
    chunk.resize(got);
    return Read::Data;
}

bool Process::Reap(bool block) {
    if (finished_) return true;
    if (::WaitForSingleObject(native_->process.Get(), block ? INFINITE : 0) != WAIT_OBJECT_0)
        return false;
    finished_ = true;
    DWORD code = 0;
    if (!native_->killed && ::GetExitCodeProcess(native_->process.Get(), &code))
        exitCode_ = static_cast<int>(code);
    return true;
}

bool Process::Wait(std::uint32_t timeoutMs) {
    if (finished_) return true;
    if (::WaitForSingleObject(native_->process.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    return Reap(false);
}

bool Process::Kill() {
    if (Reap(false)) return false;
    if (!::TerminateProcess(native_->process.Get(), 1)) return false;
    native_->killed = true;
    return true;
}

}  // namespace platform
