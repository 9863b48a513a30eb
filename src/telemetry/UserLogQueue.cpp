#include "telemetry/UserLogQueue.h"

class UserLogQueue::Guard {
public:
    explicit Guard(const std::wstring& name) : mutex_(name) { taken_ = mutex_.Lock(kGuardWaitMs); }
    ~Guard() {
        if (taken_) mutex_.Unlock();
    }
    bool Taken() const { return taken_; }

private:
    platform::NamedMutex mutex_;
    bool taken_ = false;
};

UserLogQueue::UserLogQueue(std::wstring guardName)
    : guardName_(std::move(guardName)), anchor_(guardName_) {}

bool UserLogQueue::Push(UserLogRecord record) {
    Guard guard(guardName_);
    if (!guard.Taken()) return false;
    records_.push_back(std::move(record));
    size_ = records_.size();
    return true;
}

std::optional<UserLogRecord> UserLogQueue::Pop(bool& guardTimedOut) {
    Guard guard(guardName_);
    guardTimedOut = !guard.Taken();
    if (guardTimedOut || records_.empty()) return std::nullopt;
    UserLogRecord front = std::move(records_.front());
    records_.pop_front();
    size_ = records_.size();
    return front;
}

bool UserLogQueue::LooksEmpty() const { return size_ == 0; }
