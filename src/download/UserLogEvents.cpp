// The production sink of the engine's events: the process-wide user-log sender.
#include "download/DownloadEvents.h"
#include "telemetry/SingleUserLog.h"

namespace {

class UserLogEvents final : public IDownloadEvents {
public:
    void ga4(const std::string& category, const std::string& action,
             const std::string& label) override {
        CSingleUserLog::Instance().AddUserLog(category, action, label, false);
    }
    void funnel(const std::string& category, const std::string& action, const std::string& key,
                const std::string& value) override {
        CSingleUserLog::Instance().AddUserLog_funnel(category, action, key, value, false, false);
    }
    void funnelBucket(const std::string& category, const std::string& action,
                      const std::string& key, std::int64_t value, std::int64_t width,
                      const std::string& unit) override {
        funnel(category, action, key, CSingleUserLog::BucketLabel(value, width, unit));
    }
    void funnelProperties(const std::string& category, const std::string& action,
                          const std::map<std::string, std::string>& properties) override {
        CSingleUserLog::Instance().AddUserLog_funnel(category, action, properties, false, false);
    }
};

}  // namespace

void InstallUserLogEvents() {
    static UserLogEvents sink;
    SetDownloadEvents(&sink);
}
