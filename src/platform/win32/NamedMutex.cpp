// Windows implementation: a named mutex is an in-process mutex per name in front of a kernel
// mutex of the same name (CreateMutexW) for the other processes of the session.
//
// Threading: every NamedMutex object of one name in this process shares one Slot (the
// in-process ownership of common/NameOwnership.h and the kernel mutex). `held` says
// some object of this process owns the name; only that object's thread waits on the kernel
// mutex. A kernel mutex belongs to the thread that acquired it and counts recursive waits, while
// the lock here is not recursive and may be dropped by a destructor on another thread: the slot
// remembers which thread owns the kernel mutex, releases it only from that thread, and never
// waits on it again from that thread while it still owns it. A slot whose kernel mutex stays
// with a thread that way is kept alive, so the next object of the name knows it. The registry
// of slots is never destroyed, for the same reason as on Linux (threads still running at exit).
#include "platform/NamedMutex.h"

#include <windows.h>

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "CrashRelease.h"
#include "NameOwnership.h"
#include "WinSupport.h"
#include "platform/Thread.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Slot : detail::NameOwnership {
    win32::UniqueHandle kernel;  // none when it cannot be made: in-process exclusion only
    DWORD kernelThread = 0;      // the thread that owns `kernel`; 0 when none of ours does
};

std::shared_ptr<Slot> SlotFor(const std::wstring& name) {
    static auto* registryMutex = new std::mutex;
    static auto* registry = new std::map<std::wstring, std::weak_ptr<Slot>>;
    std::lock_guard<std::mutex> guard(*registryMutex);
    for (auto it = registry->begin(); it != registry->end();)  // drop slots of gone mutexes
        it = it->second.expired() ? registry->erase(it) : std::next(it);
    std::weak_ptr<Slot>& entry = (*registry)[name];
    if (auto slot = entry.lock()) return slot;
    auto slot = std::make_shared<Slot>();
    slot->kernel = win32::UniqueHandle(::CreateMutexW(nullptr, FALSE, name.c_str()));
    entry = slot;
    return slot;
}

// Slots whose kernel mutex a thread of ours still owns after the lock was dropped elsewhere.
void KeepWhileOwned(const std::shared_ptr<Slot>& slot, bool owned) {
    static auto* keptMutex = new std::mutex;
    static auto* kept = new std::set<std::shared_ptr<Slot>>;
    std::lock_guard<std::mutex> guard(*keptMutex);
    if (owned)
        kept->insert(slot);
    else
        kept->erase(slot);
}

DWORD RemainingMs(bool forever, Clock::time_point deadline) {
    if (forever) return INFINITE;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

// The calling thread, owner of the slot, takes the kernel mutex. An abandoned mutex (its owner
// ended without releasing it) is taken all the same, like the Linux file lock of a dead process.
bool TakeKernel(Slot& slot, DWORD waitMs) {
    if (!slot.kernel.Valid() || slot.kernelThread == ::GetCurrentThreadId()) return true;
    const DWORD result = ::WaitForSingleObject(slot.kernel.Get(), waitMs);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        slot.kernelThread = ::GetCurrentThreadId();
        return true;
    }
    return result == WAIT_FAILED;  // unusable: in-process exclusion only
}

}  // namespace

struct NamedMutex::State {
    std::shared_ptr<Slot> slot;
};

NamedMutex::NamedMutex(const std::wstring& name) : state_(std::make_unique<State>()) {
    state_->slot = SlotFor(name);
}

NamedMutex::~NamedMutex() {
    HANDLE kernel = state_->slot->kernel.Get();
    win32::g_crashReleaseMutex.compare_exchange_strong(kernel, nullptr);
    Release(false);
}

void NamedMutex::ReleaseOnCrash() { win32::g_crashReleaseMutex.store(state_->slot->kernel.Get()); }

bool NamedMutex::Lock(std::uint32_t timeoutMs) {
    Slot& slot = *state_->slot;
    const bool forever = timeoutMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    if (!slot.Take(this, forever, deadline)) return false;
    // This process owns the name now; wait for the other processes.
    if (TakeKernel(slot, RemainingMs(forever, deadline))) return true;
    slot.GiveBack();
    return false;
}

void NamedMutex::Unlock() { Release(true); }

void NamedMutex::Release(bool ownerThreadOnly) {
    Slot& slot = *state_->slot;
    bool stillOwned = false;
    const bool released = slot.Release(this, ownerThreadOnly, [&] {
        // Only the owning thread can release a kernel mutex; from another thread it stays with
        // that thread until it ends or locks and unlocks again.
        if (slot.kernelThread == ::GetCurrentThreadId() && ::ReleaseMutex(slot.kernel.Get()))
            slot.kernelThread = 0;
        stillOwned = slot.kernelThread != 0;
    });
    if (released) KeepWhileOwned(state_->slot, stillOwned);
}

bool NamedMutex::HeldByAnotherProcess() {
    Slot& slot = *state_->slot;
    std::lock_guard<std::mutex> lock(slot.mutex);
    // Held by this process, or kept by one of its threads: not another process.
    if (slot.held || !slot.kernel.Valid() || slot.kernelThread != 0) return false;
    const DWORD result = ::WaitForSingleObject(slot.kernel.Get(), 0);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        ::ReleaseMutex(slot.kernel.Get());
        return false;
    }
    return result == WAIT_TIMEOUT;
}

}  // namespace platform
