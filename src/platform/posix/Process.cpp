// POSIX implementation: posix_spawn with the output on a pipe; waits poll waitpid.
#include "platform/Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <thread>

#include "CommandLine.h"
#include "platform/Clock.h"
#include "platform/Text.h"

extern char** environ;

namespace platform {

struct Process::Native {
    explicit Native(int fd) : outputFd(fd) {}
    int outputFd;  // read end of the output pipe; -1 when nothing is captured
};

namespace {

// Our environment with `changes` applied, as "NAME=value" texts.
std::vector<std::string> ChildEnvironment(
    const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
    std::vector<std::string> added;
    for (const auto& [name, value] : changes)
        added.push_back(WideToUtf8(name) + "=" + WideToUtf8(value));
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        const bool replaced =
            std::any_of(added.begin(), added.end(), [&](const std::string& change) {
                const std::size_t nameEnd = change.find('=') + 1;
                return text.substr(0, nameEnd) == std::string_view(change).substr(0, nameEnd);
            });
        if (!replaced) entries.emplace_back(text);
    }
    entries.insert(entries.end(), added.begin(), added.end());
    return entries;
}

void CloseQuietly(int fd) {
    if (fd >= 0) ::close(fd);
}

// The program first, then its arguments. A program given apart stands as it is; the command
// line then holds arguments only.
std::vector<std::wstring> ArgumentsOf(const ProcessOptions& options) {
    std::vector<std::wstring> args;
    if (!options.program.empty()) args.push_back(options.program);
    if (options.setupRules) {
        const auto split = SplitSetupCommandLine(options.commandLine);
        args.insert(args.end(), split.begin(), split.end());
    } else if (options.program.empty()) {
        args = SplitCommandLine(options.commandLine);
    } else {
        const auto split = detail::SplitArguments(options.commandLine);
        args.insert(args.end(), split.begin(), split.end());
    }
    return args;
}

}  // namespace

bool KeepFileFromChildren(const std::wstring& path) {
    struct stat file {};
    if (::stat(WideToUtf8(path).c_str(), &file) != 0) return false;
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder) return false;
    bool kept = false;
    while (const dirent* entry = ::readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(folder)) continue;
        struct stat held {};
        if (::fstat(static_cast<int>(fd), &held) != 0 || held.st_dev != file.st_dev ||
            held.st_ino != file.st_ino)
            continue;
        const int flags = ::fcntl(static_cast<int>(fd), F_GETFD);
        if (flags >= 0 && ::fcntl(static_cast<int>(fd), F_SETFD, flags | FD_CLOEXEC) == 0)
            kept = true;
    }
    ::closedir(folder);
    return kept;
}

namespace {

// The desktop user a root process was started for (SUDO_UID, else PKEXEC_UID); -1 when we are
// not root or no such user is named.
int DesktopUserOfRoot() {
    if (::geteuid() != 0) return -1;
    for (const char* name : {"SUDO_UID", "PKEXEC_UID"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        char* end = nullptr;
        const long uid = std::strtol(value, &end, 10);
        if (*end == '\0' && uid > 0 && uid < 0x7FFFFFFF) return static_cast<int>(uid);
    }
    return -1;
}

// The account a child is dropped to: looked up before fork, since the child may only make
// async-signal-safe calls.
struct TargetUser {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    std::vector<std::string> environment;  // ours, with HOME, USER and LOGNAME of the user
};

std::optional<TargetUser> LookUpUser(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    TargetUser user;
    user.uid = uid;
    user.gid = entry.pw_gid;
    int count = 64;
    user.groups.resize(count);
    if (::getgrouplist(entry.pw_name, entry.pw_gid, user.groups.data(), &count) < 0) {
        user.groups.resize(count);
        if (::getgrouplist(entry.pw_name, entry.pw_gid, user.groups.data(), &count) < 0) count = 0;
    }
    user.groups.resize(count);
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view text(*variable);
        if (!text.starts_with("HOME=") && !text.starts_with("USER=") &&
            !text.starts_with("LOGNAME="))
            user.environment.emplace_back(text);
    }
    user.environment.push_back(std::string("HOME=") + entry.pw_dir);
    user.environment.push_back(std::string("USER=") + entry.pw_name);
    user.environment.push_back(std::string("LOGNAME=") + entry.pw_name);
    return user;
}

// Everything above standard error closes at exec, the start-error report included. Runs in the
// forked child, so it makes no call that could wait on a lock another thread held at the fork.
void MarkInheritedCloseOnExec() {
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    const long limit = ::sysconf(_SC_OPEN_MAX);  // kernels before 5.11
    for (int fd = 3; fd < limit; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

[[noreturn]] void FailChild(int reportFd) {
    const int error = errno;
    [[maybe_unused]] ssize_t ignored = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

// fork + exec for a child that runs as another user (posix_spawn cannot change the user).
// Returns 0 with `pid` set, or the errno of the failure.
int SpawnAsUser(std::vector<char*>& argv, const ProcessOptions& options, const std::string& folder,
                int outputFd, const TargetUser& user, pid_t& pid) {
    std::vector<char*> envp;
    std::vector<std::string> environment = user.environment;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return errno;
    pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error;
    }
    if (pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig = 1; sig < NSIG; ++sig) ::signal(sig, SIG_DFL);
        if (options.newSession) ::setsid();
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0) ::dup2(devNull, 0);
        if (outputFd >= 0) ::dup2(outputFd, 1), ::dup2(outputFd, 2);
        MarkInheritedCloseOnExec();
        if (::setgroups(user.groups.size(), user.groups.data()) != 0 || ::setgid(user.gid) != 0 ||
            ::setuid(user.uid) != 0)
            FailChild(report[1]);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) FailChild(report[1]);
        if (options.program.empty())
            ::execvpe(argv[0], argv.data(), envp.data());
        else
            ::execve(argv[0], argv.data(), envp.data());
        FailChild(report[1]);
    }
    ::close(report[1]);
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof childError) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return childError;
    }
    return 0;
}

int Spawn(std::vector<char*>& argv, const ProcessOptions& options, const std::string& folder,
          int outputFd, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
        posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
    }
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.newSession) flags |= POSIX_SPAWN_SETSID;
    sigset_t none, defaults;
    sigemptyset(&none);
    sigfillset(&defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, flags);
    std::vector<std::string> environment;
    std::vector<char*> envp;
    if (!options.environment.empty()) {
        environment = ChildEnvironment(options.environment);
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
    }
    char** const childEnvironment = envp.empty() ? environ : envp.data();
    const int started =
        options.program.empty()
            ? posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), childEnvironment)
            : posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), childEnvironment);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return started;
}

}  // namespace

std::unique_ptr<Process> Process::Start(const ProcessOptions& options, ProcessStartError* error,
                                        int* systemError) {
    auto fail = [error, systemError](ProcessStartError why, int code) {
        if (error) *error = why;
        if (systemError) *systemError = code;
        return std::unique_ptr<Process>();
    };
    if (error) *error = ProcessStartError::None;
    if (systemError) *systemError = 0;
    std::vector<std::string> args;
    for (const std::wstring& arg : ArgumentsOf(options)) args.push_back(WideToUtf8(arg));
    if (args.empty() || args[0].empty()) return fail(ProcessStartError::StartFailed, ENOENT);

    std::optional<TargetUser> user;
    const int desktopUser = options.asDesktopUser ? DesktopUserOfRoot() : -1;
    if (desktopUser >= 0) {
        user = LookUpUser(static_cast<uid_t>(desktopUser));
        if (!user) return fail(ProcessStartError::StartFailed, ESRCH);
    }
    int pipeFds[2] = {-1, -1};
    if (options.captureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(ProcessStartError::PipeFailed, errno);

    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string folder = WideToUtf8(options.workingFolder);
    pid_t pid = -1;
    const int started = user ? SpawnAsUser(argv, options, folder, pipeFds[1], *user, pid)
                             : Spawn(argv, options, folder, pipeFds[1], pid);
    CloseQuietly(pipeFds[1]);
    if (started != 0) {
        CloseQuietly(pipeFds[0]);
        return fail(ProcessStartError::StartFailed, started);
    }
    return std::unique_ptr<Process>(new Process(pid, std::make_unique<Native>(pipeFds[0])));
}

Process::Process(int pid, std::unique_ptr<Native> native) : pid_(pid), native_(std::move(native)) {}

Process::~Process() {
    CloseQuietly(native_->outputFd);
    if (finished_) return;
    // Nobody waits for it any more; reap it whenever it ends so it leaves no zombie.
    const pid_t pid = pid_;
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (...) {
    }
}

Process::Read Process::ReadOutput(std::string& chunk, std::size_t maxBytes,
                                  std::uint32_t timeoutMs) {
    chunk.clear();
    const int outputFd = native_->outputFd;
    if (outputFd < 0 || maxBytes == 0) return Read::Ended;
    pollfd entry{outputFd, POLLIN, 0};
    const std::uint32_t start = TickCount();
    while (true) {
        const std::uint32_t spent = TickCount() - start;
        const int wait = spent >= timeoutMs ? 0 : static_cast<int>(timeoutMs - spent);
        const int ready = ::poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return Read::Timeout;
        if (ready < 0) return Read::Ended;
        break;
    }
    chunk.resize(maxBytes);
    ssize_t count;
    do {
        count = ::read(outputFd, chunk.data(), maxBytes);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        chunk.clear();
        return Read::Ended;
    }
    chunk.resize(static_cast<std::size_t>(count));
    return Read::Data;
}

bool Process::Reap(bool block) {
    if (finished_) return true;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    finished_ = true;  // ended, or already reaped by someone else (ECHILD)
    if (result == pid_ && WIFEXITED(status)) exitCode_ = WEXITSTATUS(status);
    return true;
}

bool Process::Wait(std::uint32_t timeoutMs) {
    if (timeoutMs == 0xFFFFFFFFu) return Reap(true);
    const std::uint32_t start = TickCount();
    while (!Reap(false)) {
        if (TickCount() - start >= timeoutMs) return false;
        SleepMs(5);
    }
    return true;
}

bool Process::Kill() {
    if (Reap(false)) return false;
    return ::kill(pid_, SIGKILL) == 0;
}

}  // namespace platform
