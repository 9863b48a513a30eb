// POSIX implementation: argv already holds the bytes of the command line; names are UTF-8 here.
#include "platform/Arguments.h"

namespace platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace platform
