// Portable: threads are detached std::threads; waits use a condition variable.
#include "platform/Thread.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace platform {
namespace {

// Waits on `cv` until `ready()` or the time-out; kInfinite waits for ever.
template <typename Ready>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
             std::uint32_t timeoutMs, Ready ready) {
    if (timeoutMs == kInfinite) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

std::shared_ptr<Thread> Thread::Start(std::function<void()> body) {
    std::shared_ptr<Thread> self(new Thread());
    try {
        // The thread holds the object, so the handle stays valid to wait on even after every
        // caller dropped theirs.
        std::thread([self, body = std::move(body)]() mutable {
            // No exception crosses a thread (design, Conventions): the thread just ends.
            try {
                if (body) body();
            } catch (...) {
            }
            try {
                body = nullptr;  // release what the body captured before reporting the end
            } catch (...) {
            }
            self->MarkFinished();
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    return self;
}

bool Thread::Wait(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return WaitFor(done_, lock, timeoutMs, [this] { return finished_; });
}

bool Thread::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

// Notifying under the lock lets a waiter destroy the object as soon as its wait returns (the
// way a Windows handle may be closed right after a wait), because the wait cannot return before
// the notifier has released the mutex.
void Thread::MarkFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    done_.notify_all();
}

Event::Event(bool manualReset, bool initiallySet) : manualReset_(manualReset), set_(initiallySet) {}

void Event::Set() {
    std::lock_guard<std::mutex> lock(mutex_);  // see MarkFinished
    set_ = true;
    if (manualReset_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitFor(cv_, lock, timeoutMs, [this] { return set_; })) return false;
    if (!manualReset_) set_ = false;  // an auto-reset event releases exactly one waiter
    return true;
}

}  // namespace platform
