#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Process.h"
#include "platform/Text.h"

namespace {

using platform::QuoteArgument;
using platform::SplitCommandLine;

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> args;
    };
    const Case cases[] = {
        {L"ping -c 4 host", {L"ping", L"-c", L"4", L"host"}},
        {L"  a\t b  ", {L"a", L"b"}},
        {L"\"C:\\Program Files\\x.exe\" /S", {L"C:\\Program Files\\x.exe", L"/S"}},
        {L"p \"a b\" c", {L"p", L"a b", L"c"}},
        {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},      // 3 backslashes + quote
        {L"p \"a\\\\\" b", {L"p", L"a\\", L"b"}},  // 2 backslashes + closing quote
        {L"p a\\b\\\\c", {L"p", L"a\\b\\\\c"}},    // backslashes without a quote
        {L"p \"a\"\"b\"", {L"p", L"a\"b"}},        // "" inside quotes
        {L"p \"\"", {L"p", L""}},                  // empty quoted argument
        {L"C:\\dir\\prog.exe\\ x", {L"C:\\dir\\prog.exe\\", L"x"}},
        {L"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << platform::WideToUtf8(c.line);
}

TEST(QuoteArgument, RoundTripsThroughSplit) {
    const std::wstring samples[] = {L"plain",
                                    L"",
                                    L"two words",
                                    L"quote\"inside",
                                    L"trailing\\",
                                    L"back\\\\\"slash",
                                    L"C:\\Program Files\\"};
    for (const std::wstring& sample : samples) {
        const auto args = SplitCommandLine(L"prog " + QuoteArgument(sample));
        ASSERT_EQ(args.size(), 2u) << platform::WideToUtf8(sample);
        EXPECT_EQ(args[1], sample);
    }
}

}  // namespace
