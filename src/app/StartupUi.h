// What the run sequence needs of the windows. The program implements it over the main window
// and the message box; tests implement it to watch the sequence without a display.
//
// Threading: every call comes from the main (UI) thread except BringMainWindowToFront, which
// comes from the activation listener's thread and must hand the work to the UI thread.
#pragma once

#include <cstdint>
#include <string>

namespace app {

class IStartupUi {
public:
    virtual ~IStartupUi() = default;

    // Shows a message box of `kind` (EnumMsgType) without owner, modally, worded in
    // `languageIndex`; returns when it is closed.
    virtual void ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) = 0;
    // Creates the main window with `caption`, centres it and shows it with focus; false when it
    // could not be created. `startTick` is the process's first tick (TickCount), against which
    // the window measures how long it took to show.
    virtual bool OpenMainWindow(const std::wstring& caption, std::uint32_t startTick) = 0;
    // Runs the toolkit's message loop until the main window has closed.
    virtual void RunMessageLoop() = 0;
    // A second instance asked for the window: bring it to the front (any thread).
    virtual void BringMainWindowToFront() = 0;
    // Shuts the toolkit down: fonts, images, windows, the in-memory skin package.
    virtual void ShutDownToolkit() = 0;
};

}  // namespace app
