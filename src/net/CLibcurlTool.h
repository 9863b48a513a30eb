// The program's HTTP helper over libcurl: ranged segment downloads written straight into the
// shared package file, header probes, body GETs and form POSTs. Results are libcurl codes; the
// helper never retries (callers own the retry policy) and never throws.
//
// Threading: one object is used by one thread at a time; nothing in it is locked. Segment
// downloads serialise their file writes on the target's file mutex.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/HandleSockets.h"
#include "net/LogUpload.h"
#include "net/SegmentTarget.h"

class CLibcurlTool {
public:
    CLibcurlTool();
    ~CLibcurlTool();
    CLibcurlTool(const CLibcurlTool&) = delete;
    CLibcurlTool& operator=(const CLibcurlTool&) = delete;

    bool hasHandle() const { return m_pCurl != nullptr; }

    // Bytes start..end (inclusive) of url into the target's file at their own offsets.
    // contentLength is accepted for symmetry with the task and not used.
    CURLcode httpDownloadContent(const std::string& url, std::int64_t start, std::int64_t end,
                                 std::int64_t contentLength, SegmentTarget& worker);
    // headerOnly = 1: the headers of every response of the redirect chain, at most to - from
    // characters copied into out (no terminator when that long: pass a zeroed, larger buffer).
    CURLcode httpGet(const std::string& url, std::int64_t from, std::int64_t to, int headerOnly,
                     char* out, long& responseCode);
    // The header probe: at most 2000 characters of header text.
    CURLcode httpGetHeader(const std::string& url, char* out, long& responseCode);
    // The response body replaces `body`.
    CURLcode httpGet(const std::string& url, std::string& body, bool logErrors);
    // Posts body (form encoded) and appends the answer to response; verifies TLS only with caPath.
    int HttpPost(const std::string& url, const std::string& body, std::string& response,
                 const std::string& caPath = std::string());

    // Logs one line naming the failure; always 1.
    static int figureError(CURLcode code);

    // libcurl callbacks of segment downloads; `worker` is the SegmentTarget.
    static std::size_t downloadFunc(char* data, std::size_t size, std::size_t count, void* worker);
    static std::size_t HeaderCallback(char* line, std::size_t size, std::size_t count,
                                      void* worker);
    // Writes what downloadFunc still holds back; false (logged) when the write failed.
    static bool flushSegment(SegmentTarget& worker);
    // Progress callback of segment downloads: writes held-back bytes that have waited long
    // enough even when no further chunk arrives, and reads a batch the link is late with, so a
    // stalled range shows what it received.
    // Non-zero (the transfer aborts) when that write failed or the worker's stop is set.
    static int segmentProgress(void* worker, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    // Uploads the file `filePath` (UTF-8) to the log-upload service as a multipart form. 0 when
    // the service answered HTTP 200; -1 when filePath has fewer than 5 characters; -2 when no
    // libcurl handle could be created; -3 when the file cannot be read, on any transfer failure
    // or other status, a transfer past `limits` included.
    static int uploadLogFile(const std::string& filePath, const std::string& fileName,
                             const std::string& productId, const std::string& version,
                             const std::string& catalogue,
                             const logupload::UploadLimits& limits = {});

private:
    bool prepare(CURLcode& failure);

    CURL* m_pCurl = nullptr;
    HandleSockets m_sockets;
};
