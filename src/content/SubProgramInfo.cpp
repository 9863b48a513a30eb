#include "content/SubProgramInfo.h"

#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "content/ContentEvents.h"
#include "content/CountryGate.h"
#include "content/JsonAnswer.h"
#include "content/ServerPaths.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "sys/DebugSettings.h"
#include "sys/FileNamePart.h"
#include "sys/Log.h"
#include "sys/OsFacts.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"
#include "telemetry/UserLogFacts.h"

namespace content {
namespace {

using FuntionImpl::Utf8ToUtf16;

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Whether the element is not offered in the machine's country; looks the country up once.
bool LimitedHere(const std::string& countryLimit) {
    if (countryLimit.empty()) return false;
    IsSupportCurCountry(true);
    const std::string code = FuntionImpl::Utf16ToUtf8(CConfigure::Instance().GetCountryCode());
    return !code.empty() && countryLimit.find(code) != std::string::npos;
}

// Why the record's names cannot be used ("" when they can): a sub-program needs a folder to go
// into and a program to start, each a single safe name.
std::wstring RefusedNames(const SubProgramInfo& info) {
    const std::pair<const wchar_t*, const std::wstring*> names[] = {
        {L"launch_name", &info.launch_name}, {L"install_dir", &info.install_dir}};
    for (const auto& [key, name] : names)
        if (name->empty())
            return L"empty " + std::wstring(key) + L" of " + std::to_wstring(info.pid);
    for (const auto& [key, name] : names)
        if (!FuntionImpl::IsSafeFileNamePart(*name)) return L"file name: " + *name;
    return std::wstring();
}

// False (with the reason in `refused`) when a name from the answer is missing or not safe.
bool RecordOf(const Json::Value& item, const std::wstring& workDirectory, SubProgramInfo& info,
              std::wstring& refused) {
    info.pid = IntMember(item, "pid");
    info.parent_pid = IntMember(item, "parent_pid");
    info.download = Utf8ToUtf16(StringMember(item, "download"));
    info.file_size = Utf8ToUtf16(StringMember(item, "file_size"));
    info.file_md5 = Utf8ToUtf16(StringMember(item, "file_md5"));
    info.launch_name = Utf8ToUtf16(StringMember(item, "launch_name"));
    info.install_dir = Utf8ToUtf16(StringMember(item, "install_dir"));
    refused = RefusedNames(info);
    if (!refused.empty()) return false;
    const std::wstring version = Utf8ToUtf16(StringMember(item, "version"));
    const auto local = SubProgramLocalPath(workDirectory, info.download, version);
    if (!local) {
        refused = L"file name: " + info.download + L" " + version;
        return false;
    }
    info.local_path = *local;
    return true;
}

// Fetches and parses the list; false when there is nothing to apply.
bool FetchSubProgramAnswer(const std::string& url, Json::Value& answer) {
    CVD_LOG << " GetSubProgramInfo get from url";
    const std::uint32_t start = platform::TickCount();
    std::string body;
    const CURLcode result = CLibcurlTool().httpGet(url, body, true);
    CVD_LOG << " GetSubProgramInfo finish ret:" << static_cast<int>(result) << ", reslength"
            << body.size();
    ReportElapsed("StartDownloader", "ObtainSubroutinesTime", "SubroutinesTimeInterval", start);
    if (result != CURLE_OK || body.empty()) return false;
    std::string errors;
    const bool parsed = ParseJson(body, answer, errors);
    CVD_LOG << " GetSubProgramInfo parse:" << (parsed ? 1 : 0) << ", " << errors;
    return parsed && errors.empty();
}

// False when the file name has no key separator at all (nothing more is logged then).
bool QuerySubPrograms(const std::wstring& executablePath) {
    CVD_LOG << " GetSubProgramInfo start";
    const std::wstring fileName = FileNameOf(executablePath);
    if (fileName.find(L'_') == std::wstring::npos) {
        CVD_LOG << " GetSubProgramInfo get separate fail";
        return false;
    }
    const std::wstring key = InstallerKey(executablePath);
    if (key.empty()) {
        CVD_LOG << " Symbol is empty";
        return true;
    }
    CVD_LOG << " GetSubProgramInfo get rnclid success";
    const std::string url = SubProgramQueryUrl(key, CConfigure::Instance().IsChinaSite(),
                                               FuntionImpl::Is64BitSystem());
    if (FuntionImpl::FullLog()) CVD_LOG << " GetSubProgramInfo the get url is:" << url;
    Json::Value answer;
    if (FetchSubProgramAnswer(url, answer)) ApplySubProgramAnswer(answer);
    return true;
}

}  // namespace

std::wstring InstallerKey(const std::wstring& executablePath) {
    return FuntionImpl::StripStampPrefix(
        Utf8ToUtf16(SourceTagOf(FuntionImpl::Utf16ToUtf8(executablePath))));
}

std::string SubProgramQueryUrl(const std::wstring& key, bool chinaSite, bool is64BitSystem) {
    const auto host = chinaSite ? endpoint::kContentServerChina : endpoint::kContentServerInternational;
    return "https://" + Endpoints::Instance().Get(host) + "/kitDownloads?t=" +
           FuntionImpl::Utf16ToUtf8(key) + (is64BitSystem ? "&package_type=2" : "&package_type=1");
}

int ApplySubProgramAnswer(const Json::Value& answer) {
    const Json::Value& data = Member(answer, "data");
    const Json::ArrayIndex count = data.isArray() ? data.size() : 0;
    const Json::Value& status = Member(answer, "status");
    CVD_LOG << " GetSubProgramInfo ret code:" << (status.isInt() ? status.asInt() : 0)
            << ", cnt:" << count;
    CConfigure& config = CConfigure::Instance();
    int appended = 0;
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        if (!data[i].isObject()) continue;  // not a sub-program
        if (LimitedHere(StringMember(data[i], "country_limit"))) continue;
        SubProgramInfo info;
        std::wstring refused;
        if (!RecordOf(data[i], config.GetWorkDirectory(), info, refused)) {
            CVD_LOG << " GetSubProgramInfo refused "
                    << FuntionImpl::Utf16ToUtf8(FuntionImpl::PrintableNamePart(refused));
            continue;
        }
        config.AddSubProgram(info);
        ++appended;
    }
    return appended;
}

void LoadSubProgramInfo(const std::wstring& executablePath) {
    CConfigure& config = CConfigure::Instance();
    bool logEnd = false;
    if (!config.IsToolkit)
        CVD_LOG << " GetSubProgramInfo is not toolkit";
    else
        logEnd = QuerySubPrograms(executablePath);
    config.SetSubProgramInfoDone(true);
    if (logEnd) CVD_LOG << " GetSubProgramInfo end";
}

unsigned GetSubProgramInfoThreadFunc() {
    LoadSubProgramInfo(platform::ModulePath());
    return 0;
}

}  // namespace content
