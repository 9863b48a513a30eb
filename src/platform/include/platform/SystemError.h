// The system's own error numbers as the program logs and reports them: errno on Linux,
// GetLastError on Windows. The few numbers the program acts on have one value everywhere.
#pragma once

#include <string>

namespace platform {

// A file that cannot be opened for writing because it is in use: Windows' sharing violation.
// On Linux a file that is being executed (ETXTBSY) reports this number.
inline constexpr int kFileInUseError = 32;

// "No such file": ENOENT, ERROR_FILE_NOT_FOUND.
int FileNotFoundError();

// Forgets this thread's last error, before a call whose failure is then read with
// LastSystemError (a library call may fail without setting it).
void ClearLastSystemError();

// This thread's last error; 0 when none was recorded since ClearLastSystemError.
int LastSystemError();

// The system's own wording of `error` (UTF-8, one line), followed by " (" + the number + ")".
std::string SystemErrorText(int error);

}  // namespace platform
