#include <gtest/gtest.h>

#include "platform/PingCommand.h"

namespace {

// The host goes into a command line (through cmd.exe on Windows): text that could be read as
// more than one host is refused or stays one argument.
TEST(PingCommand, AHostNeverBecomesMoreThanOneArgument) {
    for (const std::wstring host :
         {L"a & calc", L"x\" -t \"y", L"-t", L"host|more", L"%PATH%", L"h\\\"ost", L"a b"}) {
        const auto command = platform::PingCommandFor(host, 4);
        if (!command) continue;  // refused
        const auto args = platform::SplitCommandLine(command->options.commandLine);
        ASSERT_FALSE(args.empty());
        EXPECT_EQ(args.back(), host);
        EXPECT_EQ(args[args.size() - 2], L"--") << "a host is never read as an option";
    }
}

TEST(PingCommand, PlainHostsAreAskedForTheGivenCountWithOutputCaptured) {
    for (const std::wstring host : {L"127.0.0.1", L"cdn.example.com", L"::1"}) {
        const auto command = platform::PingCommandFor(host, 6);
        ASSERT_TRUE(command.has_value());
        EXPECT_TRUE(command->options.captureOutput);
        const std::wstring& line = command->options.commandLine;
        EXPECT_NE(line.find(host), std::wstring::npos) << line;
        EXPECT_NE(line.find(L" 6"), std::wstring::npos) << line;
    }
}

}  // namespace
