// Child processes started from a command line, the way the installer starts ping, the package's
// installer and the product. The command line is one text with the Windows command-line rules:
// on Windows it goes to CreateProcessW as it stands and the child reads it; on Linux it is split
// with those rules (SplitCommandLine) and started with posix_spawn, so the same text means the
// same arguments on both systems. When the program is part of the command line it is looked up
// the system's way (Linux: on PATH when its name has no '/'; Windows: CreateProcessW's search).
// No shell is involved, so nothing in an argument is interpreted.
//
// A program whose path was checked (a verified package, the installed product) is given apart
// from the command line (ProcessOptions::program): that path is the file that runs, whatever
// the text around it holds, since it is never split out of a string again.
//
// A child inherits standard input (the null device), output and error and nothing else: every
// other descriptor or handle of ours (log files, server connections) stays out of it, whether or
// not it was opened inheritable.
//
// Threading: one Process object is used by one thread at a time. Lifetime: dropping the object
// neither waits for nor stops the child; a child still running is reaped in the background when
// it ends, so no zombie is left behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The arguments of `commandLine` with the rules of the Windows C runtime: blanks separate
// arguments; double quotes group; 2n backslashes before a quote give n backslashes and the quote
// groups, 2n+1 give n backslashes and a literal quote; "" inside quotes is a literal quote;
// other backslashes are literal. The first argument (the program) ends at the next blank, or
// when it starts with a quote at the next quote, without backslash processing.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// The arguments of `commandLine` the way setup programs read their own command line: blanks
// separate arguments, every double quote toggles grouping and is dropped, and a backslash is
// always literal. A folder passed as /DIR="C:\Apps\" therefore keeps its trailing separator and
// does not swallow the switches after it, as it would under the C runtime's rules.
std::vector<std::wstring> SplitSetupCommandLine(const std::wstring& commandLine);

// `argument` quoted so that SplitCommandLine gives it back unchanged as one argument.
std::wstring QuoteArgument(const std::wstring& argument);

struct ProcessOptions {
    // The program to run, used as it stands: never split, never looked up on PATH. Then
    // `commandLine` holds only the arguments after it (" /VERYSILENT ..."); on Windows it is the
    // application name, and the command line the quoted program followed by `commandLine`.
    // Empty: the program is the first argument of `commandLine`.
    std::wstring program;
    std::wstring commandLine;
    std::wstring workingFolder;  // empty: the current folder
    bool captureOutput = false;  // standard output and error into one pipe (ReadOutput)
    bool newSession = false;     // own session: not ended with our terminal or process group
    // Variables the child gets on top of our environment, replacing ours of the same name
    // ({L"LC_ALL", L"C"} for output in a known language).
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // The child reads its command line the way setup programs do (SplitSetupCommandLine), not
    // with the C runtime's rules. On Linux the line is split that way; on Windows the child
    // reads it itself, so nothing changes.
    bool setupRules = false;
    // When this program runs with raised rights on behalf of a desktop user, start the child
    // with that user's rights instead of ours. Linux: a root process started through sudo or
    // pkexec drops to SUDO_UID, else PKEXEC_UID (its groups, HOME, USER). Windows: an elevated
    // process starts it with the rights of the desktop shell. Without such a user, ours.
    bool asDesktopUser = false;
};

enum class ProcessStartError { None, PipeFailed, StartFailed };

// Keeps the descriptors of ours that are open on the file `path` from every program started
// later, by any part of the process (a file opened by a library that cannot ask for it at open
// time). False when `path` cannot be examined or nothing of ours is open on it. On Windows a
// child receives only the handles Process::Start hands it, so every file is kept already: true
// when the file exists.
bool KeepFileFromChildren(const std::wstring& path);

class Process {
public:
    // nullptr when the pipe cannot be made or the program cannot be started; `error` says which
    // and `systemError` gets the system's number for the failure (errno on Linux, GetLastError
    // on Windows; both say 2 for a missing program), 0 on success.
    static std::unique_ptr<Process> Start(const ProcessOptions& options,
                                          ProcessStartError* error = nullptr,
                                          int* systemError = nullptr);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    int Pid() const { return pid_; }

    enum class Read { Data, Timeout, Ended };
    // Up to `maxBytes` of captured output into `chunk` (replacing it), waiting at most
    // `timeoutMs`. Ended once every writer has closed the pipe (or nothing is captured).
    Read ReadOutput(std::string& chunk, std::size_t maxBytes, std::uint32_t timeoutMs);

    // True when the child has ended within `timeoutMs`.
    bool Wait(std::uint32_t timeoutMs);
    // The exit code once ended normally; nothing while running, after a signal (Linux), or
    // after Kill (Windows, where a killed process has no signal to tell it by).
    std::optional<int> ExitCode() const { return exitCode_; }
    bool Finished() const { return finished_; }
    // Ends the child at once (SIGKILL; TerminateProcess); true when it was running.
    bool Kill();

private:
    struct Native;  // the system's handles of the child and of its output pipe
    Process(int pid, std::unique_ptr<Native> native);
    bool Reap(bool block);

    int pid_;
    std::unique_ptr<Native> native_;
    bool finished_ = false;
    std::optional<int> exitCode_;
};

}  // namespace platform
