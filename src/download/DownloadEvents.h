// Where the download engine's analytics events go. The program installs the user-log sender
// (InstallUserLogEvents) at start-up; until a sink is installed events are dropped, so the engine
// can run in tools and tests without the sender. Every event is queued without waiting and
// concerns the main program's funnel (sub-program flag false): reporting never changes a result.
//
// Threading: the sink is read from any engine thread; install it before downloads start.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class IDownloadEvents {
public:
    virtual ~IDownloadEvents() = default;
    virtual void ga4(const std::string& category, const std::string& action,
                     const std::string& label) = 0;
    // One property; an empty key sends the event without properties.
    virtual void funnel(const std::string& category, const std::string& action,
                        const std::string& key, const std::string& value) = 0;
    // A funnel property whose value is the bucket of `value` of the given width and unit.
    virtual void funnelBucket(const std::string& category, const std::string& action,
                              const std::string& key, std::int64_t value, std::int64_t width,
                              const std::string& unit) = 0;
    // Several properties, in key order.
    virtual void funnelProperties(const std::string& category, const std::string& action,
                                  const std::map<std::string, std::string>& properties) = 0;
};

IDownloadEvents& DownloadEvents();
// Installs `sink` (not owned; nullptr drops events again) and returns the previous one.
IDownloadEvents* SetDownloadEvents(IDownloadEvents* sink);

// Sends the engine's events through CSingleUserLog (in cvd_download only).
void InstallUserLogEvents();
