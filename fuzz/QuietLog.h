// The program log off: a fuzz target runs millions of inputs, and writing their log lines would
// take most of its time.
#pragma once

#include <easylogging++.h>

namespace fuzz {

inline void QuietProgramLog() {
    el::Loggers::reconfigureAllLoggers(el::ConfigurationType::Enabled, "false");
}

}  // namespace fuzz
