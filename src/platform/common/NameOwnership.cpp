// Portable: the in-process half of a named mutex.
#include "NameOwnership.h"

namespace platform::detail {

bool NameOwnership::Take(const void* taker, bool forever, Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex);
    if (held && owner == taker && ownerThread == std::this_thread::get_id()) return false;
    const auto free = [this] { return !held; };
    if (forever)
        released.wait(lock, free);
    else if (!released.wait_until(lock, deadline, free))
        return false;
    held = true;
    owner = taker;
    ownerThread = std::this_thread::get_id();
    return true;
}

void NameOwnership::GiveBack() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        owner = nullptr;
    }
    released.notify_one();
}

bool NameOwnership::Release(const void* releaser, bool ownerThreadOnly,
                            const std::function<void()>& releaseSystemLock) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!held || owner != releaser) return false;
        if (ownerThreadOnly && ownerThread != std::this_thread::get_id()) return false;
        releaseSystemLock();
        held = false;
        owner = nullptr;
    }
    released.notify_one();
    return true;
}

}  // namespace platform::detail
