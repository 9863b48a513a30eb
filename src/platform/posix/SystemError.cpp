// POSIX implementation: errno.
#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

int FileNotFoundError() { return ENOENT; }

void ClearLastSystemError() { errno = 0; }

int LastSystemError() { return errno == ETXTBSY ? kFileInUseError : errno; }

std::string SystemErrorText(int error) {
    return std::string(std::strerror(error)) + " (" + std::to_string(error) + ")";
}

}  // namespace platform
