// Header text from servers and proxies: the size probe's answer (size, redirect target, CDN
// data) and the header lines of range answers, whose Content-Range guard must refuse any answer
// that is not the package the ranges were made for.
#include <cctype>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "QuietLog.h"
#include "download/ProbeAnswer.h"
#include "net/CLibcurlTool.h"
#include "net/HeaderText.h"

namespace {

bool IsContentRangeLine(std::string_view line) {
    return HeaderText::FindHeader(line, "Content-Range:") == 0;
}

void CheckProbeAnswer(std::string_view headers) {
    if (const auto size = ProbeAnswer::Size(headers)) FUZZ_CHECK(*size >= 0);
    // Every value read is one line of the answer: none runs into the next header.
    if (const auto location = ProbeAnswer::Location(headers)) {
        FUZZ_CHECK(location->size() <= headers.size());
        FUZZ_CHECK(location->find('\n') == std::string::npos);
        (void)ProbeAnswer::ResolveLocation("https://dl.example.test/pkg/a.bin", *location);
    }
    if (const auto cdn = ProbeAnswer::Cdn(headers)) {
        FUZZ_CHECK(cdn->cdn.size() <= headers.size());
        FUZZ_CHECK(cdn->cdn.find('\n') == std::string::npos);
    }
    FUZZ_CHECK(HeaderText::ParseDecimal(headers) >= 0);
}

// The first byte position of a Content-Range line ("Content-Range: bytes 100-199/1000"), -1
// without one. The unit is compared without regard to case, as HTTP range units are.
long long RangeStart(std::string_view line) {
    std::size_t at = line.find(':');
    const auto skipBlanks = [&] {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    };
    if (at == std::string_view::npos) return -1;
    ++at;
    skipBlanks();
    std::string unit(line.substr(at, 5));
    for (char& c : unit) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (unit != "bytes") return -1;
    at += 5;
    skipBlanks();
    if (at >= line.size() || line[at] < '0' || line[at] > '9') return -1;
    return HeaderText::ParseDecimal(line.substr(at));
}

// Feeds the lines to the segment header callback as libcurl would, one line per call, for a
// range request from `requestedStart`.
void CheckRangeAnswer(std::int64_t contentLength, std::int64_t requestedStart,
                      std::string_view headers) {
    std::atomic<std::int64_t> position{requestedStart};
    std::string probeCdn = "HIT", segmentCdn;
    SegmentTarget target;
    target.contentLength = contentLength;
    target.endPos = contentLength;
    target.downloadedPos = &position;
    target.probeCdn = &probeCdn;
    target.segmentCdn = &segmentCdn;
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find('\n', start);
        end = end == std::string_view::npos ? headers.size() : end + 1;
        std::string line(headers.substr(start, end - start));
        const bool confirmedBefore = target.answer.rangeConfirmed;
        const std::size_t taken =
            CLibcurlTool::HeaderCallback(line.data(), 1, line.size(), &target);
        FUZZ_CHECK(taken == 0 || taken == line.size());
        // Only a 206 lets a body into the package, and only its Content-Range field says so. A
        // 200 to a range request is read for its validators alone and ends with its headers, so
        // its lines (a Content-Range among them) are not judged by the guard.
        FUZZ_CHECK(!target.answer.rangeConfirmed || target.answer.status == 206);
        FUZZ_CHECK(confirmedBefore || !target.answer.rangeConfirmed || IsContentRangeLine(line));
        if (taken != 0 && contentLength != 0 && target.answer.status != 200 &&
            IsContentRangeLine(line)) {
            // Accepted: the total after the last '/' is the package's size.
            const std::size_t slash = line.rfind('/');
            FUZZ_CHECK(slash != std::string::npos);
            FUZZ_CHECK(HeaderText::ParseDecimal(line.substr(slash + 1)) == contentLength);
            // ... and the bytes start where the range asked for them.
            FUZZ_CHECK(RangeStart(line) == requestedStart);
        }
        if (taken == 0) break;  // libcurl ends the transfer here
        start = end;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrivateHome();
    fuzz::QuietProgramLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const auto contentLength = in.Take<std::int64_t>();
    const auto requestedStart = in.Take<std::int64_t>();
    const std::string headers = in.Rest();
    CheckProbeAnswer(headers);
    CheckRangeAnswer(contentLength, requestedStart, headers);
    return 0;
}
