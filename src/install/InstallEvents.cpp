#include "install/InstallEvents.h"

#include <atomic>

#include "telemetry/SingleUserLog.h"

namespace install {
namespace {

class UserLogSink final : public IInstallEvents {
public:
    void ga4(const std::string& category, const std::string& action, const std::string& label,
             bool wait) override {
        CSingleUserLog::Instance().AddUserLog(category, action, label, wait);
    }
    void funnel(const std::string& category, const std::string& action,
                const Properties& properties, bool wait, bool subProgram) override {
        CSingleUserLog::Instance().AddUserLog_funnel(category, action, properties, wait,
                                                     subProgram);
    }
};

UserLogSink& DefaultSink() {
    static UserLogSink sink;
    return sink;
}

std::atomic<IInstallEvents*> g_sink{nullptr};

}  // namespace

IInstallEvents& Events() {
    IInstallEvents* sink = g_sink.load();
    return sink ? *sink : DefaultSink();
}

IInstallEvents* SetInstallEvents(IInstallEvents* sink) { return g_sink.exchange(sink); }

void Ga4(const std::string& category, const std::string& action, const std::string& label,
         bool wait) {
    Events().ga4(category, action, label, wait);
}

void Funnel(const std::string& category, const std::string& action, const Properties& properties,
            bool subProgram) {
    Events().funnel(category, action, properties, false, subProgram);
}

std::string Bucket(std::int64_t value, std::int64_t width, const std::string& unit) {
    return CSingleUserLog::BucketLabel(value, width, unit);
}

void ReportFlowCode(const std::string& code) {
    Ga4("Other", "FlowError", code);
    ReportFlowCodeFunnelOnly(code);
}

void ReportFlowCodeFunnelOnly(const std::string& code) {
    Funnel("ErrorReporting", "Error", {{"MainErrorType", code}});
}

}  // namespace install
