#include "app/StartupGates.h"

#include "config/CConfigure.h"
#include "config/LanguageTables.h"
#include "content/CountryGate.h"
#include "platform/SystemInfo.h"
#include "sys/Log.h"
#include "telemetry/SingleUserLog.h"

namespace app {

GateFacts GateFacts::Real() {
    return {platform::Is64BitSystem, content::IsSupportCurCountry, DetectUiLanguageIndex};
}

StartupGate EvaluateStartupGates(const CConfigure& config, const GateFacts& facts) {
    if (config.Department == 2 && !config.Support32System && !facts.is64BitSystem())
        return StartupGate::System32;
    if (config.Department == 1 && !facts.isSupportCurCountry(false)) return StartupGate::Country;
    return StartupGate::None;
}

void RefuseStart(StartupGate gate, IStartupUi& ui, const GateFacts& facts) {
    if (gate == StartupGate::None) return;
    const bool system32 = gate == StartupGate::System32;
    CVD_LOG << (system32 ? "product not support 32 system" : "product not support current country");
    const char* action = system32 ? "32bitStartupForbided" : "CountryStartupForbided";
    CSingleUserLog& userLog = CSingleUserLog::Instance();
    userLog.AddUserLog("Other", action, "");
    userLog.AddUserLog_funnel("StartDownloader", action, "", "");
    ui.ShowStartupBox(system32 ? kBoxSystemNotSupported : kBoxCountryNotSupported,
                      facts.detectUiLanguage());
}

}  // namespace app
