// The UI thread's loops and task queue over Win32 messages. A message-only window receives a
// message whenever tasks are waiting (PostMessageW), so tasks also run inside loops that are not
// ours (a system dialog's).
#pragma once

namespace toolkit::win32 {

// UI thread, once: creates the task window and runs tasks posted before it existed.
bool StartTaskWindow();
int RunMainLoop();
// Any thread.
void QuitMainLoop(int code);

}  // namespace toolkit::win32
