// What a started child writes, for the process tests of both systems.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Process.h"

namespace cvdtest {

// Everything until the child closes its output, or stays silent for `quietMs`.
inline std::string ReadAllOutput(platform::Process& process, std::uint32_t quietMs = 10000) {
    std::string all, chunk;
    while (process.ReadOutput(chunk, 4095, quietMs) == platform::Process::Read::Data) all += chunk;
    return all;
}

}  // namespace cvdtest
