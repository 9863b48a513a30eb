// Windows implementation: the kernel mutex the crash handler releases when the process faults
// (NamedMutex::ReleaseOnCrash sets it, the handler takes it once). Private to this folder.
#pragma once

#include <windows.h>

#include <atomic>

namespace platform::win32 {

extern std::atomic<HANDLE> g_crashReleaseMutex;

}  // namespace platform::win32
