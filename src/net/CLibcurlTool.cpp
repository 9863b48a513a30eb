#include "net/CLibcurlTool.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "sys/Log.h"

namespace {

const char* const kUserAgentHeader =
    "User-Agent:Mozilla/5.0 (Windows NT 6.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/62.0.3202.75 Safari/537.36";

std::size_t AppendToStream(char* data, std::size_t size, std::size_t count, void* stream) {
    const std::size_t n = size * count;
    static_cast<std::ostringstream*>(stream)->write(data, static_cast<std::streamsize>(n));
    return n;
}

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* text) {
    const std::size_t n = size * count;
    static_cast<std::string*>(text)->append(data, n);
    return n;
}

constexpr long kSegmentReadBytes = 256 * 1024;

// Header list for segment requests; built once, read-only afterwards.
curl_slist* SegmentHeaders() {
    static curl_slist* const headers = curl_slist_append(nullptr, kUserAgentHeader);
    return headers;
}

// The segment headers plus If-Range, for one request.
struct SegmentHeaderList {
    explicit SegmentHeaderList(const std::string& ifRange) {
        if (ifRange.empty()) return;
        own = curl_slist_append(nullptr, kUserAgentHeader);
        if (own) own = curl_slist_append(own, ("If-Range: " + ifRange).c_str());
    }
    ~SegmentHeaderList() { curl_slist_free_all(own); }
    SegmentHeaderList(const SegmentHeaderList&) = delete;
    SegmentHeaderList& operator=(const SegmentHeaderList&) = delete;
    curl_slist* get() const { return own ? own : SegmentHeaders(); }
    curl_slist* own = nullptr;
};

void SetRedirectsAndTimeouts(CURL* curl, long timeout, long connectTimeout) {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeout);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeout);
}

// A libcurl that cannot turn server verification off fails the request, logged.
CURLcode SkipPeerVerification(CURL* curl) {
    const CURLcode rc = curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    if (rc != CURLE_OK) {
        CLibcurlTool::figureError(rc);
        return rc;
    }
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    return CURLE_OK;
}

// Unchanged leaves libcurl's defaults for the body and header options.
enum class HeaderMode { Unchanged, HeadersOnly, BodyOnly };

// The set-up shared by the GETs whose answer is collected as text into `text`.
CURLcode SetUpTextGet(CURL* curl, const std::string& url, HeaderMode mode, long timeout,
                      long connectTimeout, std::ostringstream& text) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (mode != HeaderMode::Unchanged) {
        const long headersOnly = mode == HeaderMode::HeadersOnly ? 1L : 0L;
        curl_easy_setopt(curl, CURLOPT_NOBODY, headersOnly);
        curl_easy_setopt(curl, CURLOPT_HEADER, headersOnly);
    }
    SetRedirectsAndTimeouts(curl, timeout, connectTimeout);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToStream);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &text);
    return SkipPeerVerification(curl);
}

}  // namespace

CLibcurlTool::CLibcurlTool() : m_pCurl(curl_easy_init()) {}

CLibcurlTool::~CLibcurlTool() {
    if (m_pCurl) curl_easy_cleanup(m_pCurl);
}

bool CLibcurlTool::prepare(CURLcode& failure) {
    if (!m_pCurl) {
        CVD_LOG << " curl easy init fail !!!";
        failure = CURLE_FAILED_INIT;
        return false;
    }
    curl_easy_reset(m_pCurl);
    m_sockets.Watch(m_pCurl);
    return true;
}

CURLcode CLibcurlTool::httpDownloadContent(const std::string& url, std::int64_t start,
                                           std::int64_t end, std::int64_t /*contentLength*/,
                                           SegmentTarget& worker) {
    const std::string range = std::to_string(start) + "-" + std::to_string(end);
    CVD_LOG << " Request Range: (" << worker.taskId << ", " << (end - start) << ") " << range;
    CURLcode rc = CURLE_OK;
    if (!prepare(rc)) return rc;
    worker.taken = -1;
    worker.answer = {};
    worker.sockets = &m_sockets;
    curl_easy_setopt(m_pCurl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
    const SegmentHeaderList headers(worker.ifRange);
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(m_pCurl, CURLOPT_RANGE, range.c_str());
    if (worker.wholeFile) {
        // The whole file cannot be bound by the 20 s of a range; a link that stays silent that
        // long still ends the transfer.
        SetRedirectsAndTimeouts(m_pCurl, 0L, 3L);
        curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, 20L);
    } else {
        SetRedirectsAndTimeouts(m_pCurl, 20L, 3L);
    }
    // A plain HTTP read takes what the socket holds up to the buffer's size; libcurl's 16 KiB
    // default would cost a read and a callback per 16 KiB (a TLS read still yields one record).
    curl_easy_setopt(m_pCurl, CURLOPT_BUFFERSIZE, kSegmentReadBytes);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, &CLibcurlTool::downloadFunc);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &worker);
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERFUNCTION, &CLibcurlTool::HeaderCallback);
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERDATA, &worker);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFOFUNCTION, &CLibcurlTool::segmentProgress);
    curl_easy_setopt(m_pCurl, CURLOPT_XFERINFODATA, &worker);
    curl_easy_setopt(m_pCurl, CURLOPT_NOPROGRESS, 0L);
    rc = SkipPeerVerification(m_pCurl);
    if (rc != CURLE_OK) return rc;
    rc = curl_easy_perform(m_pCurl);
    // The connection may serve the next request, whose answer must wake the reader at once.
    if (worker.batching.Mark() > 1 && m_sockets.Only() >= 0)
        platform::SetReceiveLowWater(m_sockets.Only(), 1);
    // However the transfer ended, what was received goes to disk before the position is judged.
    if (!flushSegment(worker) && rc == CURLE_OK) rc = CURLE_WRITE_ERROR;
    if (rc != CURLE_OK) figureError(rc);
    return rc;
}

CURLcode CLibcurlTool::httpGet(const std::string& url, std::int64_t from, std::int64_t to,
                               int headerOnly, char* out, long& responseCode) {
    CURLcode rc = CURLE_OK;
    if (!prepare(rc)) return rc;
    std::ostringstream text;
    const HeaderMode mode = headerOnly == 1 ? HeaderMode::HeadersOnly : HeaderMode::Unchanged;
    rc = SetUpTextGet(m_pCurl, url, mode, 20L, 5L, text);
    if (rc != CURLE_OK) return rc;
    rc = curl_easy_perform(m_pCurl);
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &responseCode);
    if (out && to > from) {
        const std::string received = text.str();
        std::strncpy(out, received.c_str(), static_cast<std::size_t>(to - from));
    }
    if (rc != CURLE_OK) figureError(rc);
    return rc;
}

CURLcode CLibcurlTool::httpGetHeader(const std::string& url, char* out, long& responseCode) {
    return httpGet(url, 0, 2000, 1, out, responseCode);
}

CURLcode CLibcurlTool::httpGet(const std::string& url, std::string& body, bool logErrors) {
    CURLcode rc = CURLE_OK;
    if (!prepare(rc)) return rc;
    std::ostringstream text;
    rc = SetUpTextGet(m_pCurl, url, HeaderMode::BodyOnly, 10L, 3L, text);
    if (rc != CURLE_OK) return rc;
    rc = curl_easy_perform(m_pCurl);
    body = text.str();
    if (rc != CURLE_OK && logErrors) figureError(rc);
    return rc;
}

int CLibcurlTool::HttpPost(const std::string& url, const std::string& body,
                           std::string& response, const std::string& caPath) {
    CURL* curl = curl_easy_init();
    if (!curl) {
        CVD_LOG << " curl easy init fail !!!";
        return CURLE_FAILED_INIT;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 8L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response);
    if (caPath.empty()) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    } else {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_CAINFO, caPath.c_str());
    }
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return rc;
}
