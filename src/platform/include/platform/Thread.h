// Threads that can be waited for with a time-out, like a Windows thread handle. A thread runs
// on its own once started; dropping every handle does not stop or join it. Waiting is
// thread-safe and may be repeated.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

class Thread {
public:
    // Starts `body` on a new thread; nullptr when the thread cannot be created.
    static std::shared_ptr<Thread> Start(std::function<void()> body);

    // True when the thread has finished within `timeoutMs` (kInfinite waits for ever).
    bool Wait(std::uint32_t timeoutMs);
    bool Finished() const;

private:
    Thread() = default;
    void MarkFinished();

    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
};

using ThreadHandle = std::shared_ptr<Thread>;

// An event with timed waits. Manual-reset events stay set until Reset; auto-reset events
// release one waiter and clear themselves.
class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false);
    void Set();
    void Reset();
    // True when the event was set within `timeoutMs`.
    bool Wait(std::uint32_t timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool manualReset_;
    bool set_;
};

}  // namespace platform
