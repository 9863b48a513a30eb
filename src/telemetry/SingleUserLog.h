// The process-wide user-log sender: GA4 events and funnel events are queued from any thread and
// sent by one sender thread.
//
// Threading: every public operation may be called from any thread. A queued event (bWait false)
// never touches the network: the caller waits at most 200 ms for the queue's guard and the event
// is dropped if it cannot get it. A waited event is sent on the caller's thread. All reports, from
// the sender thread or from waiting callers, go out one at a time under the reporting lock.
//
// Lifetime: the sender thread keeps its own reference to the queues and the reporting service,
// so it never outlives what it uses. It ends once shut-down has been requested and both queues
// are empty; destroying the object without WaitThreadForExit retires the reporting service, so
// whatever is still queued is dropped unsent.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Thread.h"

class CSingleUserLog {
public:
    static CSingleUserLog& Instance();

    // Gathers the machine facts and starts the sender thread unless both NoGA4 and NoBigData are
    // set. Instance() is the program's object; tests make their own.
    CSingleUserLog();
    ~CSingleUserLog();
    CSingleUserLog(const CSingleUserLog&) = delete;
    CSingleUserLog& operator=(const CSingleUserLog&) = delete;

    void SetUserLogInfo(std::int32_t downloaderId, std::int32_t siteId,
                        const std::string& productName, const std::string& downloadUrl,
                        bool isToolkit, std::int32_t mainPid);

    // 0 when queued or sent; with bWait the service's result of the last attempt; -1 without a
    // reporting service; -99 when switched off by the debug settings.
    std::int32_t AddUserLog(const std::string& category, const std::string& action,
                            const std::string& label, bool bWait = false);
    std::int32_t AddUserLog_funnel(const std::string& category, const std::string& action,
                                   const std::map<std::string, std::string>& properties,
                                   bool bWait = false, bool subProgram = false);
    // One property; an empty key adds none.
    std::int32_t AddUserLog_funnel(const std::string& category, const std::string& action,
                                   const std::string& key, const std::string& value,
                                   bool bWait = false, bool subProgram = false);

    // Requests shut-down and waits (at most 600000 ms) until the sender has sent or given up on
    // everything queued. True.
    bool WaitThreadForExit();

    // Whether a sender thread was started.
    bool HasSenderThread() const { return thread_ != nullptr; }

    // "[" k*width "~" (k+1)*width "]" unit, with k = value / width.
    static std::string BucketLabel(std::int64_t value, std::int64_t width, const std::string& unit);

private:
    struct State;

    std::string FunnelDocumentFor(const std::string& category, const std::string& action,
                                  const std::map<std::string, std::string>& properties,
                                  bool subProgram);

    std::shared_ptr<State> state_;
    platform::ThreadHandle thread_;
};
