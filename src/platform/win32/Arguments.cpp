// Windows implementation: the wide command line split by the system's own rules; argv is only
// the ANSI rendering of it.
#include "platform/Arguments.h"

#include <shellapi.h>
#include <windows.h>

#include "platform/Text.h"

namespace platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

}  // namespace platform
