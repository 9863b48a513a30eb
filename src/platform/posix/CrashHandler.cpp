// POSIX implementation: fatal signals on an alternate stack. The plan is prepared outside the
// handler (UTF-8 paths, argv, time-zone offset) and published through one atomic pointer; old
// plans are kept, because a handler may still read one while a new one is set.
#include "platform/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CrashSignalSafe.h"
#include "platform/Paths.h"
#include "platform/Text.h"

extern char** environ;

namespace platform {
namespace {

using posix::SafeWriter;

struct PreparedPlan {
    std::string dumpFile, dumpFolder, dumpPrefix, logFile, program;
    std::vector<std::string> arguments;
    std::vector<char*> argv;  // program + arguments + nullptr, pointing into the strings above
    long utcOffsetSeconds = 0;
};

std::atomic<const PreparedPlan*> g_plan{nullptr};
std::atomic<bool> g_crashing{false};

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kAltStackSize = 256 * 1024;

const char* SignalName(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

long long NowUnixMs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// One line in the program log's own format ("%datetime--[Thread](%thread) %msg"), appended.
class CrashLog {
public:
    explicit CrashLog(const PreparedPlan* plan)
        : fd_(plan && !plan->logFile.empty()
                  ? ::open(plan->logFile.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)
                  : -1),
          offset_(plan ? plan->utcOffsetSeconds : 0) {}
    ~CrashLog() {
        if (fd_ >= 0) ::close(fd_);
    }
    // Starts a line; the caller adds the message and ends it with End().
    SafeWriter Line() {
        SafeWriter out(fd_ >= 0 ? fd_ : STDERR_FILENO);
        const posix::CivilTime t = posix::CivilFromUnixMs(NowUnixMs(), offset_);
        out.Digits(t.year, 4).Text("-").Digits(t.month, 2).Text("-").Digits(t.day, 2).Text(" ");
        out.Digits(t.hour, 2).Text(":").Digits(t.minute, 2).Text(":").Digits(t.second, 2);
        out.Text(",").Digits(t.millisecond, 3).Text("--[Thread](");
        // The thread id as the log library prints it (pthread_self reads thread-local state only).
        out.Dec(static_cast<long long>(::pthread_self())).Text(") ");
        return out;
    }

private:
    int fd_;
    long offset_;
};

void ReleaseInstanceLock(CrashLog& log) {
    const int fd = posix::g_crashReleaseFd.exchange(-1);
    if (fd < 0) return;
    const int unlocked = ::flock(fd, LOCK_UN);
    const int unlockError = unlocked == 0 ? 0 : errno;
    const int closed = ::close(fd);
    const int closeError = closed == 0 ? 0 : errno;
    log.Line()
        .Text(" Release mutex: ")
        .Dec(unlocked == 0)
        .Text(", ")
        .Dec(unlockError)
        .Text(", ")
        .Dec(closed == 0)
        .Text(", ")
        .Dec(closeError)
        .Text("\n");
}

int OpenDump(const PreparedPlan& plan) {
    static char name[4096 + 512];
    if (!plan.dumpFile.empty()) {
        if (plan.dumpFile.size() >= sizeof name) return -1;
        std::memcpy(name, plan.dumpFile.c_str(), plan.dumpFile.size() + 1);
    } else {
        char stamp[18];
        posix::FormatStamp17(posix::CivilFromUnixMs(NowUnixMs(), plan.utcOffsetSeconds), stamp);
        const std::size_t need = plan.dumpFolder.size() + plan.dumpPrefix.size() + 17 + 5;
        if (need >= sizeof name) return -1;
        char* p = name;
        std::memcpy(p, plan.dumpFolder.data(), plan.dumpFolder.size());
        p += plan.dumpFolder.size();
        std::memcpy(p, plan.dumpPrefix.data(), plan.dumpPrefix.size());
        p += plan.dumpPrefix.size();
        std::memcpy(p, stamp, 17);
        std::memcpy(p + 17, ".dmp", 5);
    }
    return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

void WriteRegisters(SafeWriter& out, const void* context) {
    if (!context) return;
    const auto* uc = static_cast<const ucontext_t*>(context);
    out.Text("registers:\n");
#if defined(__x86_64__)
    static const char* const kNames[] = {"r8",  "r9",  "r10", "r11", "r12", "r13",
                                         "r14", "r15", "rdi", "rsi", "rbp", "rbx",
                                         "rdx", "rax", "rcx", "rsp", "rip", "eflags"};
    for (int i = 0; i <= REG_EFL; ++i)
        out.Text(" ")
            .Text(kNames[i])
            .Text(" ")
            .Hex(static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[i]))
            .Text("\n");
#elif defined(__aarch64__)
    for (int i = 0; i < 31; ++i)
        out.Text(" x").Dec(i).Text(" ").Hex(uc->uc_mcontext.regs[i]).Text("\n");
    out.Text(" sp ").Hex(uc->uc_mcontext.sp).Text("\n");
    out.Text(" pc ").Hex(uc->uc_mcontext.pc).Text("\n");
    out.Text(" pstate ").Hex(uc->uc_mcontext.pstate).Text("\n");
#else
    (void)uc;
    out.Text(" (not recorded on this processor)\n");
#endif
}

std::uintptr_t FaultingPc(const void* context) {
    if (!context) return 0;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return uc->uc_mcontext.pc;
#else
    (void)uc;
    return 0;
#endif
}

void WriteBacktrace(SafeWriter& out, const void* context) {
    static void* frames[128];
    const int count = ::backtrace(frames, 128);
    out.Text("backtrace:\n pc ").Hex(FaultingPc(context)).Text("\n");
    for (int i = 0; i < count; ++i)
        out.Text(" #").Dec(i).Text(" ").Hex(reinterpret_cast<std::uintptr_t>(frames[i])).Text("\n");
}

// Copies /proc/self/maps line by line, adding " build-id=<hex>" to the first mapping of each file.
void WriteMemoryMap(SafeWriter& out) {
    out.Text("memory map:\n");
    const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    static char chunk[4096];
    static char line[4096];
    static char previous[4096];
    static char buildId[256];
    std::size_t length = 0;
    previous[0] = '\0';
    const auto finishLine = [&] {
        line[length] = '\0';
        out.Text(line, length);
        const char* path = std::strchr(line, '/');
        if (path && std::strcmp(path, previous) != 0) {
            std::strncpy(previous, path, sizeof previous - 1);
            previous[sizeof previous - 1] = '\0';
            if (posix::ReadBuildId(path, buildId, sizeof buildId))
                out.Text(" build-id=").Text(buildId);
        }
        out.Text("\n");
        length = 0;
    };
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                finishLine();
            } else if (length < sizeof line - 1) {
                line[length++] = chunk[i];
            }
        }
    }
    if (length > 0) finishLine();
    ::close(fd);
}

bool WriteDump(int fd, int sig, const siginfo_t* info, const void* context) {
    SafeWriter out(fd);
    out.Text("crash dump\nsignal: ").Dec(sig).Text(" ").Text(SignalName(sig)).Text("\n");
    out.Text("code: ").Dec(info ? info->si_code : 0).Text("\n");
    out.Text("fault address: ").Hex(info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0);
    out.Text("\npid: ").Dec(::getpid()).Text("\nthread: ").Dec(::syscall(SYS_gettid)).Text("\n");
    WriteRegisters(out, context);
    WriteBacktrace(out, context);
    WriteMemoryMap(out);
    return out.Ok();
}

void Restart(const PreparedPlan& plan) {
    if (plan.arguments.empty() || plan.program.empty()) return;
    const pid_t child = ::_Fork();
    if (child != 0) return;
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setsid();  // detached: the restarted process outlives this one and its terminal
    ::execve(plan.program.c_str(), plan.argv.data(), environ);
    ::_exit(127);
}

void OnFatalSignal(int sig, siginfo_t* info, void* context) {
    if (g_crashing.exchange(true)) {
        for (;;) ::pause();  // another thread is writing the dump; the process ends with it
    }
    const int savedErrno = errno;
    const PreparedPlan* plan = g_plan.load();
    CrashLog log(plan);
    log.Line().Text(" Exception handler entered.\n");
    ReleaseInstanceLock(log);
    if (plan) {
        const int fd = OpenDump(*plan);
        log.Line().Text(" Create dmp file: ").Dec(fd).Text(", ").Dec(fd < 0 ? errno : 0).Text("\n");
        if (fd >= 0) {
            const bool written = WriteDump(fd, sig, info, context);
            const int writeError = written ? 0 : errno;
            ::close(fd);
            log.Line().Text(" Write dmp file: ").Dec(written).Text(", ").Dec(writeError).Text("\n");
            if (written) Restart(*plan);
        }
    }
    // End the process with the signal: a fault repeats on return, a raised signal is pending.
    signal(sig, SIG_DFL);
    errno = savedErrno;
    raise(sig);
}

}  // namespace

void InstallCrashHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        void* warm[4];
        ::backtrace(warm, 4);  // loads the unwinder now, not inside the handler
        void* stack = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (stack != MAP_FAILED) {
            stack_t alt{};
            alt.ss_sp = stack;
            alt.ss_size = kAltStackSize;
            ::sigaltstack(&alt, nullptr);
        }
    });
    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) ::sigaction(sig, &action, nullptr);
}

void SetCrashPlan(const CrashPlan& plan) {
    auto prepared = std::make_unique<PreparedPlan>();
    prepared->dumpFile = WideToUtf8(plan.dumpFile);
    prepared->dumpFolder = WideToUtf8(plan.dumpFolder);
    prepared->dumpPrefix = WideToUtf8(plan.dumpPrefix);
    prepared->logFile = WideToUtf8(plan.logFile);
    prepared->program = WideToUtf8(ModulePath());
    for (const std::wstring& argument : plan.restartArguments)
        prepared->arguments.push_back(WideToUtf8(argument));
    prepared->argv.push_back(prepared->program.data());
    for (std::string& argument : prepared->arguments) prepared->argv.push_back(argument.data());
    prepared->argv.push_back(nullptr);
    const time_t now = ::time(nullptr);
    tm local{};
    if (::localtime_r(&now, &local)) prepared->utcOffsetSeconds = local.tm_gmtoff;
    // Published plans are never freed: a handler on another thread may be reading one.
    g_plan.store(prepared.release());
}

void TriggerCrashForTest() {
    // Both operands volatile: with a constant dividend of 1 the compiler turns the division into
    // a comparison that never traps.
    volatile int dividend = 1;
    volatile int zero = 0;
    volatile int result = dividend / zero;
    (void)result;
    ::raise(SIGFPE);
}

}  // namespace platform
