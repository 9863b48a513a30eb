// Windows implementation: not available yet. A later step installs an unhandled-exception
// filter that writes a minidump (MiniDumpWriteDump) and starts the crash-report mode; until then
// a fault ends the process the system's way. The plan is kept so that step finds it set.
#include "platform/CrashHandler.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& PlanMutex() {
    static std::mutex mutex;
    return mutex;
}

CrashPlan& Plan() {
    static CrashPlan plan;
    return plan;
}

}  // namespace

void InstallCrashHandler() {}

void SetCrashPlan(const CrashPlan& plan) {
    std::lock_guard<std::mutex> lock(PlanMutex());
    Plan() = plan;
}

void TriggerCrashForTest() {
    // volatile, so the compiler can neither fold nor drop the division
    volatile int zero = 0;
    volatile int result = 1 / zero;
    (void)result;
}

}  // namespace platform
