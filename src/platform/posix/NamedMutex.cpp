// POSIX implementation: a named mutex is an in-process mutex per name plus flock() on
// RuntimeFolder()/<name>.lock for the other processes.
//
// Threading: every NamedMutex object of one name in this process shares one Slot (the
// in-process ownership of common/NameOwnership.h and the lock-file descriptor). `held` says some
// object of this process owns the name; only that object calls flock on the slot's descriptor, so
// the descriptor needs no lock of its own. The lock files are never removed: removing one would let
// two processes lock two different files of the same name. Descriptors are close-on-exec; a child
// made by fork() without exec shares them (and the parent's locks), so programs are started with
// posix_spawn.
#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "CrashSignalSafe.h"
#include "NameOwnership.h"
#include "NamedMutexName.h"
#include "PosixSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Thread.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct Slot : detail::NameOwnership {
    posix::UniqueFd fd;  // -1 when the lock file cannot be opened: in-process exclusion only
};

// Slots by lock-file path; an entry lives as long as some NamedMutex of that name does.
// The registry is never destroyed: threads still running while the process exits (a detached
// sender, say) may make and drop named mutexes after static objects have been torn down.
// Without a folder (`folder` empty) the name excludes within this process only.
std::shared_ptr<Slot> SlotFor(const std::string& folder, const std::string& file) {
    const std::string path = folder + file;
    static auto* registryMutex = new std::mutex;
    static auto* registry = new std::map<std::string, std::weak_ptr<Slot>>;
    std::lock_guard<std::mutex> guard(*registryMutex);
    for (auto it = registry->begin(); it != registry->end();)  // drop slots of gone mutexes
        it = it->second.expired() ? registry->erase(it) : std::next(it);
    std::weak_ptr<Slot>& entry = (*registry)[path];
    if (auto slot = entry.lock()) return slot;
    auto slot = std::make_shared<Slot>();
    // The folder is this user's alone; a link in it is refused all the same, never followed.
    if (!folder.empty())
        slot->fd =
            posix::UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    entry = slot;
    return slot;
}

enum class FlockResult { Acquired, Busy, Unavailable };

FlockResult TryFlock(int fd) {
    if (fd < 0) return FlockResult::Unavailable;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return FlockResult::Acquired;
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? FlockResult::Busy : FlockResult::Unavailable;
    }
}

}  // namespace

namespace posix {

std::string LockFileName(std::string_view name) {
    constexpr std::size_t kMaxKept = 200;  // well below NAME_MAX with the suffixes
    std::string safe;
    bool changed = false;
    for (char c : name) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
        safe += keep ? c : '_';
        changed |= !keep;
    }
    if (safe.size() > kMaxKept) safe.resize(kMaxKept), changed = true;
    if (changed || safe.empty()) {
        // Different names must not share a file after sanitising: add a hash of the original.
        std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        safe += "-";
        safe += hex;
    }
    return safe + ".lock";
}

}  // namespace posix

struct NamedMutex::State {
    std::shared_ptr<Slot> slot;
};

NamedMutex::NamedMutex(const std::wstring& name) : state_(std::make_unique<State>()) {
    const std::string folder = WideToUtf8(RuntimeFolder());
    state_->slot = SlotFor(folder, posix::LockFileName(WideToUtf8(name)));
}

NamedMutex::~NamedMutex() {
    int fd = state_->slot->fd.Get();
    posix::g_crashReleaseFd.compare_exchange_strong(fd, -1);
    Release(false);
}

void NamedMutex::ReleaseOnCrash() { posix::g_crashReleaseFd.store(state_->slot->fd.Get()); }

bool NamedMutex::Lock(std::uint32_t timeoutMs) {
    Slot& slot = *state_->slot;
    const bool forever = timeoutMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    if (!slot.Take(this, forever, deadline)) return false;
    // This process owns the name now; poll for the other processes' lock.
    for (;;) {
        const FlockResult result = TryFlock(slot.fd.Get());
        if (result != FlockResult::Busy) return true;  // Unavailable: in-process exclusion only
        const auto now = Clock::now();
        if (!forever && now >= deadline) break;
        std::this_thread::sleep_for(
            forever ? kPollInterval : std::min<Clock::duration>(kPollInterval, deadline - now));
    }
    slot.GiveBack();
    return false;
}

void NamedMutex::Unlock() { Release(true); }

void NamedMutex::Release(bool ownerThreadOnly) {
    Slot& slot = *state_->slot;
    slot.Release(this, ownerThreadOnly, [&slot] {
        if (slot.fd.Valid()) ::flock(slot.fd.Get(), LOCK_UN);
    });
}

bool NamedMutex::HeldByAnotherProcess() {
    Slot& slot = *state_->slot;
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (slot.held) return false;  // this process owns it
    // Nobody in this process touches the descriptor while `held` is false and we hold the mutex.
    if (TryFlock(slot.fd.Get()) != FlockResult::Busy) {
        if (slot.fd.Valid()) ::flock(slot.fd.Get(), LOCK_UN);
        return false;
    }
    return true;
}

}  // namespace platform
