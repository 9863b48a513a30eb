// The process-wide crash handler: when the program faults it releases the single-instance lock,
// writes a dump of the fault and starts the installer again in crash-report mode. The crashing
// process does no network work. Windows: an unhandled-exception filter writes a minidump
// (MiniDumpWriteDump) and restarts the program hidden through the shell; the rest of this
// comment describes Linux.
//
// Threading and safety: InstallCrashHandler and SetCrashPlan run on any thread at any time (the
// plan is copied into fixed buffers and published atomically). The handler itself runs on the
// thread that faulted and uses only async-signal-safe calls: everything it needs (paths, the
// restart command, the log file, the time-zone offset) is prepared by SetCrashPlan. When several
// threads fault at once only the first writes a dump; the others wait for the process to end.
//
// Dump format (text, one item per line, so a person or a script can read it):
//   signal, fault address, thread id, the registers of the faulting context, the backtrace of the
//   faulting thread as absolute addresses, and the memory map of /proc/self/maps with the GNU
//   build id of each mapped file. An address A inside a mapping [start, end) with file offset O
//   of object F lies at file offset A - start + O of F, which addr2line/eu-addr2line resolve
//   offline with the object of the same build id.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct CrashPlan {
    // Where the dump goes. When empty, the dump is named at crash time: dumpFolder + dumpPrefix
    // + the local time stamp "%.4d%.2d%.2d%.2d%.2d%.2d%.3d" + ".dmp".
    std::wstring dumpFile;
    std::wstring dumpFolder;
    std::wstring dumpPrefix;
    // The program's log file; the handler appends its few lines there (nothing when empty).
    std::wstring logFile;
    // Arguments of the restarted program (the program is ModulePath()); no restart when empty.
    std::vector<std::wstring> restartArguments;
};

// Installs the handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT on an alternate stack of
// the calling thread, and loads what the backtrace needs now rather than inside the handler.
// Windows: the process-wide unhandled-exception filter, without the system's error box.
void InstallCrashHandler();

// Replaces what the handler does on a crash.
void SetCrashPlan(const CrashPlan& plan);

// Divides an integer by zero (a real fault); where the processor does not trap that, raises
// SIGFPE, so the handler runs either way. Does not return when a handler ends the process.
void TriggerCrashForTest();

}  // namespace platform
