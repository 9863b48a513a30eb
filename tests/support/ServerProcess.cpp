#include "ServerProcess.h"

#include <chrono>

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

bool TakeLine(std::string& pending, std::string& line, int timeoutMs,
              const std::function<bool(int leftMs)>& receive) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t newline = pending.find('\n');
        if (newline != std::string::npos) {
            line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !receive(static_cast<int>(left))) return false;
    }
}

}  // namespace cvdtest
