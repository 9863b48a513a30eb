#include "net/LogUpload.h"

#include <curl/curl.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "config/Endpoints.h"
#include "config/WorkDirectories.h"
#include "net/CLibcurlTool.h"
#include "platform/Files.h"
#include "sys/TextConvert.h"

namespace logupload {

std::string NoNameFileName(const std::string& filePath, const std::string& stamp17) {
    // A dot in a folder name is no extension: the name must not carry a path into the form.
    const std::size_t dot = filePath.rfind('.');
    const std::size_t separator = filePath.find_last_of("/\\");
    const bool hasExtension =
        dot != std::string::npos && (separator == std::string::npos || dot > separator);
    return "NoName_" + stamp17 + (hasExtension ? filePath.substr(dot) : ".tmp");
}

}  // namespace logupload

namespace {

size_t AppendToText(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_mime* form) const { curl_mime_free(form); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// curl would open the file from a narrow name (the ANSI code page on Windows): it reads the
// part from a file opened here from the wide path instead.
size_t ReadPart(char* buffer, size_t size, size_t count, void* file) {
    const size_t got = std::fread(buffer, size, count, static_cast<std::FILE*>(file));
    return got == 0 && std::ferror(static_cast<std::FILE*>(file)) ? CURL_READFUNC_ABORT : got;
}

int SeekPart(void* file, curl_off_t offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(file), static_cast<long>(offset), origin) == 0
               ? CURL_SEEKFUNC_OK
               : CURL_SEEKFUNC_FAIL;
}

// The part's size, or -1 when it cannot be told.
curl_off_t PartSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    return std::fseek(file, 0, SEEK_SET) == 0 ? size : -1;
}

void AddTextPart(curl_mime* form, const char* name, const std::string& text) {
    curl_mimepart* part = curl_mime_addpart(form);
    curl_mime_name(part, name);
    curl_mime_data(part, text.data(), text.size());
}

}  // namespace

int CLibcurlTool::uploadLogFile(const std::string& filePath, const std::string& fileName,
                                const std::string& productId, const std::string& version,
                                const std::string& catalogue,
                                const logupload::UploadLimits& limits) {
    if (filePath.size() < 5) return -1;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        std::cerr << "Failed to initialize cURL";
        return -2;
    }
    const std::string partFileName =
        fileName.empty() ? logupload::NoNameFileName(
                               filePath, FuntionImpl::Utf16ToUtf8(workdirs::LocalTimeStamp17()))
                         : fileName;

    const platform::FilePtr data = platform::OpenFile(FuntionImpl::Utf8ToUtf16(filePath), "rb");
    const curl_off_t size = data ? PartSize(data.get()) : -1;
    if (size < 0) return -3;  // what curl answers for a file it cannot read
    std::unique_ptr<curl_mime, CurlDeleter> form(curl_mime_init(curl.get()));
    curl_mimepart* file = curl_mime_addpart(form.get());
    curl_mime_name(file, "file");
    curl_mime_data_cb(file, size, ReadPart, SeekPart, nullptr, data.get());
    curl_mime_filename(file, partFileName.c_str());
    // What curl labels a part read from a file by name, for the archives and logs sent here.
    curl_mime_type(file, "application/octet-stream");
    AddTextPart(form.get(), "product_id", productId);
    AddTextPart(form.get(), "version", version);
    if (!catalogue.empty()) AddTextPart(form.get(), "catalogue", catalogue);

    std::unique_ptr<curl_slist, CurlDeleter> headers(
        curl_slist_append(nullptr, "content-type:multipart/form-data"));
    curl_slist_append(headers.get(), "Accept:*/*");
    const std::string url =
        "https://" + Endpoints::Instance().Get(endpoint::kLogUploadServer) + "/v1/productLogUpload";
    std::string response;
    curl_easy_setopt(curl.get(), CURLOPT_MIMEPOST, form.get());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendToText);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, limits.totalSeconds);

    const CURLcode result = curl_easy_perform(curl.get());
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    std::cout << "Response from server:\n" << response << std::endl;
    return result == CURLE_OK && status == 200 ? 0 : -3;
}
