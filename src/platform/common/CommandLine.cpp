// Portable: splitting and quoting command lines with the Windows rules, so the same text means
// the same arguments on both systems.
#include "CommandLine.h"

#include "platform/Process.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program name: no backslash processing, as the Windows loader reads it.
std::size_t SplitProgram(const std::wstring& line, std::vector<std::wstring>& out) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return i;
    std::wstring program;
    if (line[i] == L'"') {
        const std::size_t close = line.find(L'"', i + 1);
        program =
            line.substr(i + 1, close == std::wstring::npos ? std::wstring::npos : close - i - 1);
        i = close == std::wstring::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i])) program += line[i++];
    out.push_back(program);
    return i;
}

// Backslashes at `i`: appends what they stand for and returns the index after them. A quote
// after an odd count is consumed as a literal.
std::size_t TakeBackslashes(const std::wstring& line, std::size_t i, std::wstring& arg) {
    std::size_t count = 0;
    while (i < line.size() && line[i] == L'\\') ++count, ++i;
    if (i < line.size() && line[i] == L'"') {
        arg.append(count / 2, L'\\');
        if (count % 2 == 1) {
            arg += L'"';
            ++i;
        }
    } else {
        arg.append(count, L'\\');
    }
    return i;
}

// The arguments after the program, from `i` on, with the C runtime's rules.
void SplitArgumentsFrom(const std::wstring& line, std::size_t i, std::vector<std::wstring>& out) {
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::wstring arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == L'\\') {
                i = TakeBackslashes(line, i, arg);
            } else if (line[i] == L'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        out.push_back(arg);
    }
}

}  // namespace

namespace detail {

std::vector<std::wstring> SplitArguments(const std::wstring& line) {
    std::vector<std::wstring> out;
    SplitArgumentsFrom(line, 0, out);
    return out;
}

}  // namespace detail

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> out;
    SplitArgumentsFrom(line, SplitProgram(line, out), out);
    return out;
}

std::vector<std::wstring> SplitSetupCommandLine(const std::wstring& line) {
    std::vector<std::wstring> out;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::wstring arg;
        bool quoted = false;
        for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
            if (line[i] == L'"')
                quoted = !quoted;
            else
                arg += line[i];
        }
        out.push_back(arg);
    }
    return out;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');  // before the closing quote
    quoted += L'"';
    return quoted;
}

}  // namespace platform
