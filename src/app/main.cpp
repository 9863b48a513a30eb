// The installer's entry point: the run sequence over the real windows and services.
#include <string>
#include <vector>

#include "app/InstallerUi.h"
#include "app/RunSequence.h"
#include "install/FlowTasks.h"
#include "platform/Text.h"

int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(platform::Utf8ToWide(argv[i]));
    app::InstallerUi ui(install::MakeInstallTasks());
    app::RunSequence sequence(ui, app::RunHooks::Real());
    return sequence.Run(app::JoinedCommandLine(arguments));
}
