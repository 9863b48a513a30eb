// POSIX implementation: a stream socket RuntimeFolder()/<window class>.sock. The request is the
// line "activate\n", the answer "ok\n" once the window was asked to come to the front.
#include "platform/WindowActivation.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

#include "NamedMutexName.h"
#include "PosixSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace platform {
namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
constexpr int kRequestWaitMs = 1000;

std::optional<sockaddr_un> SocketAddress(const std::wstring& windowClass) {
    const std::string folder = WideToUtf8(RuntimeFolder());
    if (folder.empty()) return std::nullopt;
    std::string name = posix::LockFileName(WideToUtf8(windowClass));
    name.replace(name.size() - 5, 5, ".sock");  // same sanitising as the lock files
    const std::string path = folder + name;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// A peer that hangs up before its answer must not end this process with SIGPIPE; nothing here
// relies on a library having ignored that signal for the whole process.
bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

// Reads at most sizeof(kRequest) - 1 bytes: a peer cannot make us buffer more.
bool ReadRequest(int fd) {
    char buffer[sizeof kRequest - 1];
    std::size_t got = 0;
    while (got < sizeof buffer && WaitReadable(fd, kRequestWaitMs)) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got == sizeof buffer && std::memcmp(buffer, kRequest, sizeof buffer) == 0;
}

}  // namespace

struct WindowActivationListener::State {
    posix::UniqueFd listenFd;
    posix::UniqueFd stopRead, stopWrite;
    std::string path;
    std::function<void()> onActivate;
    std::thread thread;

    void Serve() {
        pollfd entries[2] = {{listenFd.Get(), POLLIN, 0}, {stopRead.Get(), POLLIN, 0}};
        for (;;) {
            if (::poll(entries, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (entries[1].revents != 0) return;
            posix::UniqueFd peer(::accept4(listenFd.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!peer.Valid() || !ReadRequest(peer.Get())) continue;
            onActivate();
            SendAll(peer.Get(), kAnswer, sizeof kAnswer - 1);
        }
    }
};

std::unique_ptr<WindowActivationListener> WindowActivationListener::Listen(
    const std::wstring& windowClass, std::function<void()> onActivate) {
    const std::optional<sockaddr_un> address = SocketAddress(windowClass);
    if (!address) return nullptr;
    auto state = std::make_unique<State>();
    state->path = address->sun_path;
    state->onActivate = std::move(onActivate);
    state->listenFd = posix::UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!state->listenFd.Valid()) return nullptr;
    // The caller owns the single-instance lock, so a socket file left here is a dead one's.
    ::unlink(state->path.c_str());
    if (::bind(state->listenFd.Get(), reinterpret_cast<const sockaddr*>(&*address),
               sizeof *address) != 0 ||
        ::listen(state->listenFd.Get(), 4) != 0)
        return nullptr;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return nullptr;
    state->stopRead = posix::UniqueFd(pipeFds[0]);
    state->stopWrite = posix::UniqueFd(pipeFds[1]);
    State* raw = state.get();
    state->thread = std::thread([raw] { raw->Serve(); });
    return std::unique_ptr<WindowActivationListener>(
        new WindowActivationListener(std::move(state)));
}

WindowActivationListener::WindowActivationListener(std::unique_ptr<State> state)
    : state_(std::move(state)) {}

WindowActivationListener::~WindowActivationListener() {
    const char stop = 'x';
    posix::WriteAll(state_->stopWrite.Get(), &stop, 1);
    if (state_->thread.joinable()) state_->thread.join();
    ::unlink(state_->path.c_str());
}

ActivationResult ActivateWindow(const std::wstring& windowClass, unsigned timeoutMs) {
    const std::optional<sockaddr_un> address = SocketAddress(windowClass);
    if (!address) return ActivationResult::NoWindow;
    posix::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid() ||
        ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
        return ActivationResult::NoWindow;
    if (!SendAll(fd.Get(), kRequest, sizeof kRequest - 1)) return ActivationResult::NoWindow;
    char answer[sizeof kAnswer - 1];
    std::size_t got = 0;
    while (got < sizeof answer && WaitReadable(fd.Get(), static_cast<int>(timeoutMs))) {
        const ssize_t n = ::read(fd.Get(), answer + got, sizeof answer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got == sizeof answer && std::memcmp(answer, kAnswer, got) == 0
               ? ActivationResult::Activated
               : ActivationResult::NoWindow;
}

}  // namespace platform
