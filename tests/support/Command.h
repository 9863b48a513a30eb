// Runs a command for a test and captures what it printed.
#pragma once

#include <string>
#include <vector>

namespace cvdtest {

struct CommandResult {
    int status = -1;     // exit status; -1 when the command did not exit normally
    std::string output;  // standard output and standard error together
};

// Each word is passed as one argument; no shell is involved. The program is looked up on PATH
// when its name has no folder.
CommandResult RunCommand(const std::vector<std::string>& words);

}  // namespace cvdtest
