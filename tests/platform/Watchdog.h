// Fails a threading test fast instead of letting a deadlock hang the run: a guard thread ends
// the process when a test takes longer than it possibly should.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace cvdtest {

class Watchdog {
public:
    explicit Watchdog(unsigned seconds)
        : guard_([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return over_; }))
                  return;
              std::fputs("watchdog: the test hangs; ending the process\n", stderr);
              std::_Exit(3);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            over_ = true;
        }
        done_.notify_all();
        guard_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool over_ = false;
    std::thread guard_;  // last: it starts once the members it uses exist
};

}  // namespace cvdtest
