// The two start-up refusals: a product that needs a 64-bit system, and a product barred in the
// user's country. Each refusal is logged, reported and shown in a message box before exit.
#pragma once

#include <cstdint>
#include <functional>

#include "app/StartupUi.h"

class CConfigure;

namespace app {

enum class StartupGate { None, System32, Country };

// Message box kinds of the refusals (EnumMsgType).
inline constexpr std::int32_t kBoxSystemNotSupported = 13;
inline constexpr std::int32_t kBoxCountryNotSupported = 14;

// The facts the gates ask, injectable for tests.
struct GateFacts {
    std::function<bool()> is64BitSystem;
    std::function<bool(bool force)> isSupportCurCountry;
    std::function<std::int32_t()> detectUiLanguage;
    static GateFacts Real();
};

// Which gate refuses the start: Department 2 asks the word size (only when 32-bit systems are
// not supported), Department 1 the country; other departments pass. The country is asked only
// when the 32-bit gate lets the start through.
StartupGate EvaluateStartupGates(const CConfigure& config, const GateFacts& facts);

// Logs the refusal, sends its two events and shows its box in the system's language.
void RefuseStart(StartupGate gate, IStartupUi& ui, const GateFacts& facts);

}  // namespace app
