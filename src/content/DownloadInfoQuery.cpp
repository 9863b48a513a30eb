#include "content/DownloadInfoQuery.h"

#include <functional>
#include <map>

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/ContentEvents.h"
#include "download/DownloadEvents.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/OsFacts.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"
#include "toolkit/Xml.h"

namespace content {
namespace {

constexpr std::string_view kOpenTag = "<Downloader>";
constexpr std::string_view kCloseTag = "</Downloader>";

struct AnswerUrls {
    std::wstring download;
    std::wstring extra;
};

using Apply = std::function<void(CConfigure&, AnswerUrls&, const std::wstring&)>;

const std::map<std::string, Apply>& AnswerElements() {
    static const std::map<std::string, Apply> elements = {
        {"Software_name", [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetSoftware_name(v); }},
        {"Software_version",
         [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetSoftware_version(v); }},
        {"Process_name", [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetProcess_name(v); }},
        {"Download_url", [](CConfigure&, AnswerUrls& u, const std::wstring& v) { u.download = v; }},
        {"Extra_download_url", [](CConfigure&, AnswerUrls& u, const std::wstring& v) { u.extra = v; }},
        {"Md5", [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetMd5(v); }},
        {"Filesize",
         [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetFilesize(FuntionImpl::WToI64(v)); }},
        {"Md5_extra", [](CConfigure& c, AnswerUrls&, const std::wstring& v) { c.SetMd5_extra(v); }},
    };
    return elements;
}

void ReportTransferFailure(CURLcode result) {
    if (result == CURLE_COULDNT_RESOLVE_HOST) ReportErrorCode("DL003");
    if (result == CURLE_OPERATION_TIMEDOUT) ReportErrorCode("DL002");
}

}  // namespace

std::string PackageTypeSuffix(int department, bool is64BitSystem, float windowsVersion) {
    if (department == 1 && is64BitSystem) return "&package_type=2";
    if (department == 2 && windowsVersion < 10.0f) return "&package_type=5";
    return {};
}

UpdateEndpoint UpdateServerEndpoint(bool testEnv, bool chinaSite) {
    const Endpoints& endpoints = Endpoints::Instance();
    if (testEnv) return {"http://" + endpoints.Get(endpoint::kUpdateServerTest), "cn"};
    if (chinaSite) return {"https://" + endpoints.Get(endpoint::kUpdateServerChina), "cn"};
    return {"https://" + endpoints.Get(endpoint::kUpdateServerInternational), "com"};
}

bool HasDownloaderTags(const std::string& body) {
    const std::size_t open = body.find(kOpenTag);
    if (open == std::string::npos) return false;
    return body.find(kCloseTag, open + kOpenTag.size()) != std::string::npos;
}

int getDownloadInfoServer(bool sync) {
    CConfigure& config = CConfigure::Instance();
    float windowsVersion = 0;
    FuntionImpl::GetOsVersion(windowsVersion);
    const std::string suffix =
        PackageTypeSuffix(config.Department, FuntionImpl::Is64BitSystem(), windowsVersion);
    const UpdateEndpoint endpoint = UpdateServerEndpoint(FuntionImpl::TestEnv(), config.IsChinaSite());
    const std::string url = endpoint.base + "/queryDownloader?LanguageId=" +
                            std::to_string(config.Language_id) +
                            "&SoftWareID=" + std::to_string(config.Downloader_id) +
                            "&SiteID=" + std::to_string(config.Site_id) + suffix;
    config.SetQueryUrl(url);

    const char* mode = sync ? "Sync" : "Async";
    CVD_LOG << " GetDownloaderInfo(" << mode << ")...";
    const std::uint32_t start = platform::TickCount();
    std::string body;
    const CURLcode result = CLibcurlTool().httpGet(url, body, false);
    ReportTransferFailure(result);
    CVD_LOG << " getDownloadInfoXml: LanguageId=" << config.Language_id
            << "&SoftWareID=" << config.Downloader_id << "&SiteID=" << config.Site_id
            << "  package=" << suffix;
    const std::uint32_t elapsed = SecondsSince(start);
    CVD_LOG << " GetDownloaderInfo(" << mode << ", " << endpoint.region << ") return "
            << static_cast<int>(result) << ", len=" << body.size();
    DownloadEvents().ga4("Other", std::string(mode) + "GetCbsTime", std::to_string(elapsed));
    ReportElapsed("StartDownloader", "ObtainDownloaderTime", "DownloaderTimeInterval", start);

    if (!HasDownloaderTags(body)) return 0;
    if (config.GetLoadSource() == 2) readDownloadInfoFromServer(body);
    return 1;
}

int readDownloadInfoFromServer(std::string answer) {
    if (answer.empty()) return 0;
    CConfigure& config = CConfigure::Instance();
    AnswerUrls urls;
    toolkit::XmlDocument document;
    if (document.LoadFromMemory(answer)) {
        CVD_LOG << "load srever xml cfg success";
        for (toolkit::XmlNode child = document.Root().FirstChild(); child;
             child = child.NextSibling()) {
            const std::string name = child.Name();
            const std::string text = child.Text();
            if (name.empty() || text.empty()) continue;
            const auto element = AnswerElements().find(name);
            if (element != AnswerElements().end())
                element->second(config, urls, FuntionImpl::Utf8ToUtf16(text));
        }
    }
    if (!urls.download.empty()) config.PushDownloadUrl(urls.download);
    if (!urls.extra.empty() && urls.extra != urls.download) config.PushDownloadUrl(urls.extra);
    config.SetLoadSource(1);
    return 1;
}

}  // namespace content
