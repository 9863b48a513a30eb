// One of the user-log sender's two FIFO queues and its named guard.
//
// Threading: the queue is touched only while its guard is held; taking the guard waits at most
// 200 ms, and a caller that cannot get it within that time gives up (the event is dropped or the
// round postponed) instead of blocking. The guard is a named mutex, so it is known by its name
// as the other named objects of the program are.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/NamedMutex.h"

struct UserLogRecord {
    std::int32_t retryCount = 0;
    std::string category;
    std::string action;
    std::string label;  // GA4 events
    std::string body;   // funnel events: the complete funnel document
};

class UserLogQueue {
public:
    static constexpr std::uint32_t kGuardWaitMs = 200;

    explicit UserLogQueue(std::wstring guardName);
    UserLogQueue(const UserLogQueue&) = delete;
    UserLogQueue& operator=(const UserLogQueue&) = delete;

    // False when the guard could not be taken: the record is dropped.
    bool Push(UserLogRecord record);
    // The front record, removed; nullopt when empty or when the guard could not be taken
    // (`guardTimedOut` tells the two apart).
    std::optional<UserLogRecord> Pop(bool& guardTimedOut);
    // Reads without the guard: a hint for the sender's idle test, exact once nobody pushes.
    bool LooksEmpty() const;

private:
    class Guard;

    std::wstring guardName_;
    // Keeps the name's lock file open for the object's life; each taker uses its own handle,
    // because a named mutex handle is not shared by threads that wait on it at the same time.
    platform::NamedMutex anchor_;
    std::deque<UserLogRecord> records_;
    std::atomic<std::size_t> size_{0};
};
