// The setup's entry on Linux: the starter split the command line with the setup rules already,
// so the arguments are the switches; they are passed on quoted for the C runtime's rules.
#include "SetupCommandLine.h"
#include "platform/Process.h"
#include "platform/Text.h"

int main(int argc, char** argv) {
    setup::SetupCommandLine commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine.args.push_back(argv[i]);
        commandLine.passOn += L" " + platform::QuoteArgument(platform::Utf8ToWide(argv[i]));
    }
    return setup::RunSetup(commandLine);
}
