#include "download/ProbeAnswer.h"

#include <cctype>

#include "net/HeaderText.h"

namespace ProbeAnswer {
namespace {

constexpr std::size_t npos = std::string_view::npos;

std::optional<CdnResult> CfCdn(std::string_view headers) {
    const std::size_t status = HeaderText::FindHeader(headers, "CF-Cache-Status:");
    const std::size_t ray = HeaderText::FindHeader(headers, "CF-Ray:");
    if (status == npos || ray == npos) return std::nullopt;
    const std::size_t rayEnd = headers.find('\n', ray);
    const std::size_t dash = headers.find('-', ray + 7);
    if (dash == npos || (rayEnd != npos && dash > rayEnd)) return std::nullopt;
    const std::string statusText = HeaderText::ValueAfterName(headers, status, 16);
    const std::string code = HeaderText::ValueUntilLineEnd(headers, dash + 1);
    return CdnResult{code + "/" + statusText, statusText + ", " + code};
}

}  // namespace

std::optional<CdnResult> Cdn(std::string_view headers) {
    if (auto cf = CfCdn(headers)) return cf;
    const std::size_t cache = HeaderText::FindHeader(headers, "X-Cache: ");
    if (cache == npos) return std::nullopt;
    const std::string value = HeaderText::ValueAfterName(headers, cache, 8);
    return CdnResult{value, value};
}

std::optional<std::string> Location(std::string_view headers) {
    const std::size_t at = HeaderText::FindHeader(headers, "Location:");
    if (at == npos) return std::nullopt;
    std::string value = HeaderText::ValueAfterName(headers, at, 9);
    const std::size_t back = value.find("back_url=");
    if (back != std::string::npos) value = value.substr(back + 9);
    return value;
}

std::optional<std::int64_t> Size(std::string_view headers) {
    const std::size_t range = HeaderText::FindHeader(headers, "Content-Range:");
    if (range != npos) {
        const std::string value = HeaderText::ValueUntilLineEnd(headers, range);
        const std::size_t slash = value.rfind('/');
        if (slash == std::string::npos) return 0;
        return HeaderText::ParseDecimal(std::string_view(value).substr(slash + 1));
    }
    const std::size_t length = HeaderText::FindHeader(headers, "Content-Length:");
    if (length == npos) return std::nullopt;
    return HeaderText::ParseDecimal(headers.substr(length + 15));
}

bool AcceptsRanges(std::string_view headers) {
    const std::size_t at = HeaderText::FindHeader(headers, "Accept-Ranges:");
    if (at == npos) return false;
    std::string value = HeaderText::ValueUntilLineEnd(headers, at + 14);
    for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value.find("bytes") != std::string::npos;
}

Validators ValidatorsOf(std::string_view headers) {
    Validators v;
    v.etag = HeaderText::HeaderValue(headers, "ETag:");
    if (v.etag.size() < 2 || v.etag.front() != '"') v.etag.clear();  // weak or malformed
    v.lastModified = HeaderText::HeaderValue(headers, "Last-Modified:");
    return v;
}

}  // namespace ProbeAnswer

#include <curl/curl.h>

namespace ProbeAnswer {

std::string ResolveLocation(const std::string& base, const std::string& location) {
    CURLU* url = curl_url();
    if (!url) return location;
    std::string result = location;
    if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(url, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK) {
        char* full = nullptr;
        if (curl_url_get(url, CURLUPART_URL, &full, 0) == CURLUE_OK && full) {
            result = full;
            curl_free(full);
        }
    }
    curl_url_cleanup(url);
    return result;
}

}  // namespace ProbeAnswer
