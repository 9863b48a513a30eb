// Header text from servers and proxies: the size probe's answer (size, redirect target, CDN
// data) and the header lines of range answers, whose Content-Range guard must refuse any answer
// that is not the package the ranges were made for.
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "QuietLog.h"
#include "download/ProbeAnswer.h"
#include "net/CLibcurlTool.h"
#include "net/HeaderText.h"

namespace {

bool IsContentRangeLine(std::string_view line) {
    return HeaderText::FindHeader(line, "Content-Range") == 0;
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

// The first byte position of a Content-Range value ("bytes 100-199/1000"), -1 without one.
long long RangeStart(std::string_view line) {
    const std::size_t bytes = line.find("bytes");
    if (bytes == std::string_view::npos) return -1;
    std::size_t at = bytes + 5;
    while (at < line.size() && line[at] == ' ') ++at;
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
        const std::size_t taken =
            CLibcurlTool::HeaderCallback(line.data(), 1, line.size(), &target);
        FUZZ_CHECK(taken == 0 || taken == line.size());
        // Only a 206 lets a body into the package. A 200 to a range request is read for its
        // validators alone and ends with its headers, so its lines (a Content-Range among them)
        // are not judged by the guard.
        FUZZ_CHECK(!target.answer.rangeConfirmed || target.answer.status == 206);
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
