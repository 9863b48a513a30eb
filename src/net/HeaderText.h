// Reading raw HTTP header text. Header names are matched without regard to case (HTTP/2
// delivers them in lower case) and only at the start of a line, so "Content-Location:" is never
// taken for "Location:".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace HeaderText {

// Offset of the first header line of `text` that starts with `name` (case-insensitive), or npos.
std::size_t FindHeader(std::string_view text, std::string_view name);

// The value of the first header line named `name` (with its colon), without the blanks around
// it; empty when absent or longer than 256 characters.
std::string HeaderValue(std::string_view text, std::string_view name);

// `text` from `from` up to the next line end, "\r\n" or a bare "\n" (or its end); empty when
// `from` is past the end.
std::string ValueUntilLineEnd(std::string_view text, std::size_t from);

// The value of the header line at `at` whose name (with its ':') is `nameLength` long: blanks
// after the name skipped, up to the line end. Never reaches into the next line.
std::string ValueAfterName(std::string_view text, std::size_t at, std::size_t nameLength);

// Leading blanks skipped, then decimal digits up to the first non-digit; 0 without digits.
long long ParseDecimal(std::string_view text);

// A Content-Range value "bytes FIRST-LAST/TOTAL" (blanks around it and a line end allowed);
// nothing unless it has exactly that shape with FIRST <= LAST < TOTAL and no number overflows.
struct ContentRange {
    long long first = 0;
    long long last = 0;
    long long total = 0;
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

}  // namespace HeaderText
