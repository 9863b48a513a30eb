// Reading the header text of a size probe (the headers of every response of the redirect chain,
// at most 2000 characters). Header names are matched without regard to case at line starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ProbeAnswer {

struct CdnResult {
    std::string cdn;      // "code/status" from CF-Ray and CF-Cache-Status, else the X-Cache value
    std::string logText;  // what follows " Cdn result: " in the log
};

std::optional<CdnResult> Cdn(std::string_view headers);
// The first Location value; what follows "back_url=" when it holds one.
std::optional<std::string> Location(std::string_view headers);
// The total after the "/" of Content-Range, else the Content-Length value; nullopt when neither
// header is present (0 when present without digits).
std::optional<std::int64_t> Size(std::string_view headers);
// An "Accept-Ranges" header naming bytes.
bool AcceptsRanges(std::string_view headers);

// What identifies this version of the file: a strong ETag (a weak one cannot guard ranges) and
// the Last-Modified date, each empty when absent.
struct Validators {
    std::string etag;
    std::string lastModified;
    // The If-Range value: the ETag, else the date.
    const std::string& ifRange() const { return etag.empty() ? lastModified : etag; }
};
Validators ValidatorsOf(std::string_view headers);

}  // namespace ProbeAnswer

namespace ProbeAnswer {
// `location` resolved against `base` (a relative Location stays usable); as given when either
// does not parse.
std::string ResolveLocation(const std::string& base, const std::string& location);
}  // namespace ProbeAnswer
