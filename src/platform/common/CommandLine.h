// Portable: the command-line rules shared by both implementations of Process.h. Private to
// src/platform/ and the platform tests.
#pragma once

#include <string>
#include <vector>

namespace platform::detail {

// The arguments of `line` from the first one on, all with the C runtime's rules (no program
// name first): what a program given apart from its command line receives.
std::vector<std::wstring> SplitArguments(const std::wstring& line);

}  // namespace platform::detail
