#include "Command.h"

#include <sys/wait.h>

#include <cstdio>

namespace cvdtest {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) line += Quoted(word) + " ";
    line += "2>&1";
    CommandResult run;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, got);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

}  // namespace cvdtest
