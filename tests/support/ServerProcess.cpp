#include "ServerProcess.h"

namespace cvdtest {

std::string SupportDir() { return CVD_TEST_SUPPORT_DIR; }

std::vector<std::string> TakeLines(std::string& pending) {
    std::vector<std::string> lines;
    std::size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
        lines.push_back(pending.substr(0, newline));
        pending.erase(0, newline + 1);
    }
    return lines;
}

}  // namespace cvdtest
