// A mutex known by name to every process of the user. Windows: a named kernel mutex
// (CreateMutexW) of the session; Linux: flock() on a file named after it in RuntimeFolder(). In
// both, an in-process mutex in front of it gives the thread rules below. The system releases the
// lock when its owner dies, so a crashed holder never blocks the next process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class NamedMutex {
public:
    explicit NamedMutex(const std::wstring& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when acquired within `timeoutMs` (0 tries once, kInfinite of Thread.h waits for ever).
    // The lock belongs to the thread that took it: other threads wait, even through the same
    // object. Not recursive: the owning thread locking again fails at once.
    bool Lock(std::uint32_t timeoutMs);
    // Releases the lock when the calling thread holds it through this object.
    void Unlock();

    // True when another process held the lock at the moment this object tried it without
    // waiting: the single-instance test ("already exists").
    bool HeldByAnotherProcess();

    // Lets the crash handler (CrashHandler.h) release this lock when the process faults, so the
    // restarted process and a later one are not blocked. One mutex at a time; the last call wins.
    // Windows: only the owning thread can release a kernel mutex; after a fault on another
    // thread the system abandons it when the process ends, which frees it just the same.
    void ReleaseOnCrash();

private:
    void Release(bool ownerThreadOnly);

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
