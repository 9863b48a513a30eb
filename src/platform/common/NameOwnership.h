// Portable: the in-process half of a named mutex (NamedMutex.h), which both systems put in front
// of their own lock: which object, on which thread, holds the name in this process. Private to
// src/platform/.
//
// Threading: every member is guarded by `mutex`; the system's lock behind it is touched only by
// the holder, or under `mutex` while nobody holds the name.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace platform::detail {

struct NameOwnership {
    using Clock = std::chrono::steady_clock;

    // Takes the name for `owner` on the calling thread, waiting until `deadline` (for ever when
    // `forever`). False when the time ran out, and at once when this owner already holds it on
    // this thread: the lock is not recursive.
    bool Take(const void* owner, bool forever, Clock::time_point deadline);
    // Gives back what Take gave, when the system's lock could not be had after all.
    void GiveBack();
    // Releases the name when `owner` holds it (and, with `ownerThreadOnly`, on the calling
    // thread); `releaseSystemLock` runs first, under `mutex`. False when nothing was released.
    bool Release(const void* owner, bool ownerThreadOnly,
                 const std::function<void()>& releaseSystemLock);

    std::mutex mutex;
    std::condition_variable released;
    bool held = false;
    const void* owner = nullptr;  // the object that took it ...
    std::thread::id ownerThread;  // ... on this thread, as a Windows mutex belongs to a thread
};

}  // namespace platform::detail
