// The switches a setup takes, as the installer passes them:
//   /VERYSILENT /SP- /NORESTART /DIR="folder\" /LANG=code /LOG="file" /sptrack value
// Switch names are matched without regard to case; unknown switches are ignored, as setups do.
// A '\' in a folder or file counts as a separator, so a folder passed with a trailing '\' is
// that folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

struct SetupArguments {
    std::string dir;  // the install folder, '/' separators, no trailing separator
    std::string lang;
    std::string log;  // empty: no log file
    std::string track;
    bool verySilent = false;
};

// Nothing when /DIR= is missing or names no folder, or a root ("/", "C:\").
std::optional<SetupArguments> ParseSetupArguments(const std::vector<std::string>& args);

}  // namespace setup
