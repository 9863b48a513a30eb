// The program's command-line arguments as UTF-8 text, whatever the system hands to main: on
// Windows main's argv is in the ANSI code page, where a folder named in Cyrillic is lost, so the
// arguments are read again from the wide command line there.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Every argument, the program's own name first, as main received them.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace platform
