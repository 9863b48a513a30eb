// The installer's entry point on Windows: wide arguments, the run sequence over the real windows
// and services.
#include <string>
#include <vector>

#include "app/InstallerUi.h"
#include "app/RunSequence.h"
#include "install/FlowTasks.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    app::InstallerUi ui(install::MakeInstallTasks());
    app::RunSequence sequence(ui, app::RunHooks::Real());
    return sequence.Run(app::JoinedCommandLine(arguments));
}
