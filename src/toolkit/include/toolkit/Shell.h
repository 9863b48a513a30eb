// The shell (GTK on Linux, Win32 on Windows): start-up, the main loop and the few desktop services windows use. Everything
// here runs on the UI thread (the thread that called InitShell).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "toolkit/Geometry.h"

namespace toolkit {

inline constexpr const char* kToolkitName = "cvd-toolkit";

// Connects to the display once; false when there is none.
bool InitShell();
bool ShellReady();
// Runs the main loop until QuitMessageLoop; returns its code.
int RunMessageLoop();
void QuitMessageLoop(int code = 0);
// Handles pending events without blocking (tests, busy loops).
void PumpMessages();

// Runs `task` on the UI thread and returns its result; a call from another thread waits until
// the UI thread has run it (a worker showing a modal box uses this). Called on the UI thread it
// runs at once.
int InvokeOnUiThread(const std::function<int()>& task);

// Calls `tick` on the UI thread every `intervalMs` for as long as it returns true.
void RepeatOnUiThread(unsigned intervalMs, std::function<bool()> tick);

Size ScreenSize();
// Opens `url` with the desktop's handler; false when it could not be started.
bool OpenUrl(const std::string& url);
// The "file://" URI of an absolute path, escaped; empty for any other path.
std::string FileUri(const std::string& path);
// Shows the file of a "file://" URI selected in the desktop's file manager (the FileManager1
// service of a running session bus), or opens its folder where nothing can select it. false
// when the URI is no file URI or nothing could be started.
bool ShowItemInFileManager(const std::string& fileUri);
// The folder chooser; nothing when cancelled.
std::optional<std::string> ChooseFolder(const std::string& title);
// A modal error box with one OK button (on standard error when there is no display).
void ShowErrorBox(const std::string& title, const std::string& text);
// A window whose layout document cannot be built ends the process: the error box names the
// document, then exit code 1, without running exit handlers or static destructors.
[[noreturn]] void FailLayoutDocument(const std::string& document);

}  // namespace toolkit
