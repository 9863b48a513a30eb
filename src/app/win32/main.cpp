// The installer's entry point on Windows: wide arguments, the run sequence over the window-less
// start-up until the toolkit has a Windows window backend.
#include <string>
#include <vector>

#include "app/RunSequence.h"
#include "app/win32/WindowlessUi.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    app::WindowlessUi ui;
    app::RunSequence sequence(ui, app::RunHooks::Real());
    return sequence.Run(app::JoinedCommandLine(arguments));
}
