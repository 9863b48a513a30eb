// The process-wide user-log sender: GA4 events and funnel events are queued from any thread and
// sent by one sender thread. (Public interface; the private state is filled in with the
// implementation.)
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CSingleUserLog {
public:
    static CSingleUserLog& Instance();

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

    bool WaitThreadForExit();

    // "[" k*width "~" (k+1)*width "]" unit, with k = value / width.
    static std::string BucketLabel(std::int64_t value, std::int64_t width, const std::string& unit);
};
