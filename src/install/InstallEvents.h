// Where the install flow's usage events go: the user-log sender of the program, or a recorder
// in tests. Fire-and-forget: a failure to report never changes the flow. Error codes of the
// engine and of the flow go through the download events seam (reportFlowError, ReportErrorCode)
// as everywhere else.
//
// Threading: the sink is read from the install thread and the UI thread; install it before
// either starts.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace install {

using Properties = std::map<std::string, std::string>;

class IInstallEvents {
public:
    virtual ~IInstallEvents() = default;
    virtual void ga4(const std::string& category, const std::string& action,
                     const std::string& label, bool wait) = 0;
    virtual void funnel(const std::string& category, const std::string& action,
                        const Properties& properties, bool wait, bool subProgram) = 0;
};

// The installed sink; the program's user-log sender until SetInstallEvents installs another.
IInstallEvents& Events();
// Installs `sink` (not owned; nullptr restores the user-log sender) and returns the previous one.
IInstallEvents* SetInstallEvents(IInstallEvents* sink);

// Shorthands.
void Ga4(const std::string& category, const std::string& action, const std::string& label,
         bool wait = false);
void Funnel(const std::string& category, const std::string& action,
            const Properties& properties = {}, bool subProgram = false);
// "[" k*width "~" (k+1)*width "]" unit.
std::string Bucket(std::int64_t value, std::int64_t width, const std::string& unit);
// A DL code of the flow: GA4 "Other"/"FlowError"/code and funnel "ErrorReporting"/"Error".
void ReportFlowCode(const std::string& code);
// Only the funnel half (the product-running refusal sends no GA4 event).
void ReportFlowCodeFunnelOnly(const std::string& code);

}  // namespace install
