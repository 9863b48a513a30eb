// How the setup program receives its switches, and how it hands them on unchanged to the
// temporary copy of itself that does the work. Setups read their command line with the setup
// rules (platform::SplitSetupCommandLine), so that /DIR="C:\Apps\" keeps its trailing separator;
// on Windows the setup splits its own command line that way, on Linux the starter did.
#pragma once

#include <string>
#include <vector>

namespace setup {

struct SetupCommandLine {
    std::vector<std::string> args;  // the switches after the program, UTF-8
    std::wstring passOn;            // the same switches as one text for another copy
    bool passOnSetupRules = false;  // `passOn` is to be read with the setup rules
};

// The setup program's work: defined by SetupMain.cpp, called by the system's entry.
int RunSetup(const SetupCommandLine& commandLine);

}  // namespace setup
