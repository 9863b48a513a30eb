#include "config/CConfigure.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <unordered_map>

#include "config/ConfigDocument.h"
#include "config/LanguageTables.h"
#include "platform/DebugOutput.h"
#include "platform/FsPath.h"
#include "sys/FileNamePart.h"
#include "sys/Log.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"
#include "toolkit/Xml.h"

using FuntionImpl::Utf16ToUtf8;
using FuntionImpl::Utf8ToUtf16;

namespace {

constexpr std::uint32_t kThreadExitTimeoutMs = 600000;
constexpr const char* kConfigurationDocument = "configure\\configure.xml";

template <std::size_t N>
bool OneOf(std::int32_t value, const std::int32_t (&ids)[N]) {
    return std::find(std::begin(ids), std::end(ids), value) != std::end(ids);
}

}  // namespace

CConfigure& CConfigure::Instance() {
    static CConfigure instance;
    return instance;
}

void CConfigure::Init() {
    platform::DebugOutput(L"初始化配置");
    toolkit::XmlDocument document;
    if (!document.LoadFromResource(kConfigurationDocument)) {
        platform::DebugOutput(L"加载配置文件失败");
    } else {
        platform::DebugOutput(L"加载配置文件成功");
        ApplyDocument(document.Root());
    }
    SetLanguageIndex(DetectUiLanguageIndex());
    platform::DebugOutput(L"配置初始化结束");
}

void CConfigure::ApplyDocument(const toolkit::XmlNode& root) {
    if (!root) return;
    const toolkit::XmlNode settings = root.FirstChild();
    if (!settings) return;
    for (toolkit::XmlNode entry = settings.FirstChild(); entry; entry = entry.NextSibling())
        ApplyEntry(Utf8ToUtf16(entry.AttributeValue(0)), Utf8ToUtf16(entry.AttributeValue(1)));
    SetLoadSource(2);

    const std::wstring primary = GetDownload_url();
    const std::wstring extra = GetExtra_download_url();
    if (!primary.empty()) PushDownloadUrl(primary);
    if (!extra.empty() && extra != primary) PushDownloadUrl(extra);
}

void CConfigure::ApplyEntry(const std::wstring& key, const std::wstring& value) {
    using Apply = std::function<void(CConfigure&, const std::wstring&)>;
    using FuntionImpl::WToI;
    static const std::unordered_map<std::wstring, Apply> kKeys = {
        {L"Downloader_id", [](CConfigure& c, const std::wstring& v) { c.Downloader_id = WToI(v); }},
        {L"Site_id", [](CConfigure& c, const std::wstring& v) { c.Site_id = WToI(v); }},
        {L"Language_id", [](CConfigure& c, const std::wstring& v) { c.Language_id = WToI(v); }},
        {L"Software_name", [](CConfigure& c, const std::wstring& v) { c.SetSoftware_name(v); }},
        {L"Software_version",
         [](CConfigure& c, const std::wstring& v) { c.SetSoftware_version(v); }},
        {L"Process_name", [](CConfigure& c, const std::wstring& v) { c.SetProcess_name(v); }},
        {L"Download_url", [](CConfigure& c, const std::wstring& v) { c.SetDownload_url(v); }},
        {L"Extra_download_url",
         [](CConfigure& c, const std::wstring& v) { c.SetExtra_download_url(v); }},
        {L"Md5", [](CConfigure& c, const std::wstring& v) { c.SetMd5(v); }},
        {L"Filesize",
         [](CConfigure& c, const std::wstring& v) { c.SetFilesize(FuntionImpl::WToI64(v)); }},
        {L"Md5_extra", [](CConfigure& c, const std::wstring& v) { c.SetMd5_extra(v); }},
        {L"Gif_duration", [](CConfigure& c, const std::wstring& v) { c.Gif_duration = WToI(v); }},
        {L"NeedStart_flag",
         [](CConfigure& c, const std::wstring& v) { c.NeedStart_flag = WToI(v); }},
        {L"admin_flag", [](CConfigure& c, const std::wstring& v) { c.admin_flag = WToI(v); }},
        {L"MainPid", [](CConfigure& c, const std::wstring& v) { c.MainPid = WToI(v); }},
        {L"InstallTimeout",
         [](CConfigure& c, const std::wstring& v) {
             const int seconds = WToI(v);
             c.InstallTimeout = seconds == 0 ? 242 : seconds;
         }},
        {L"Support32System",
         [](CConfigure& c, const std::wstring& v) {
             c.Support32System = configdoc::StrictTrue(v);
         }},
        {L"PrivacyUrl", [](CConfigure& c, const std::wstring& v) { c.SetPrivacyUrl(v); }},
        {L"LicenseUrl", [](CConfigure& c, const std::wstring& v) { c.SetLicenseUrl(v); }},
        {L"IsToolkit",
         [](CConfigure& c, const std::wstring& v) { c.IsToolkit = configdoc::TrueUnlessZero(v); }},
        {L"StartSubProgram",
         [](CConfigure& c, const std::wstring& v) {
             c.StartSubProgram = configdoc::TrueUnlessZero(v) ? 1 : 0;
         }},
        {L"ForbidCountries",
         [](CConfigure& c, const std::wstring& v) {
             std::lock_guard guard(c.lock_);
             c.ForbidCountries_ = configdoc::SplitList(v, L',');
         }},
        {L"Department", [](CConfigure& c, const std::wstring& v) { c.Department = WToI(v); }},
        {L"Language_str",
         [](CConfigure& c, const std::wstring& v) {
             std::lock_guard guard(c.lock_);
             c.Language_str_ = configdoc::SplitList(v, L'#');
         }},
        {L"theme_color",
         [](CConfigure& c, const std::wstring& v) {
             c.theme_color = configdoc::ParseThemeColor(v);
         }},
        {L"FinishJumpUrl", [](CConfigure& c, const std::wstring& v) { c.SetFinishJumpUrl(v); }},
        {L"Package_product", [](CConfigure& c, const std::wstring& v) { c.SetPackage_product(v); }},
        {L"Package_min_version",
         [](CConfigure& c, const std::wstring& v) { c.SetPackage_min_version(v); }},
        {L"ChooseLicense",
         [](CConfigure& c,
            const std::wstring& v) { c.ChooseLicense = configdoc::TrueUnlessZero(v); }},
    };
    const auto found = kKeys.find(key);
    if (found != kKeys.end()) found->second(*this, value);
}

int CConfigure::printContent() {
    const int source = GetLoadSource();
    if (source == 2)
        CVD_LOG << " Configure Load From File! ";
    else if (source == 1)
        CVD_LOG << " Configure Load From Server! ";
    else
        CVD_LOG << " Configure Load From Nothing! ";
    CVD_LOG << " [File ContentLength]: " << GetFilesize();
    CVD_LOG << " [Downloader Id]: " << Downloader_id;
    CVD_LOG << " [SoftWare Id]: " << Software_id;
    CVD_LOG << " [Site Id]: " << Site_id;
    CVD_LOG << " [Language Id]: " << Language_id;
    CVD_LOG << " [Software Name]: " << Utf16ToUtf8(GetSoftware_name());
    CVD_LOG << " [Software Version]: " << Utf16ToUtf8(GetSoftware_version());
    CVD_LOG << " [Remote Path]: " << Utf16ToUtf8(GetDownload_url());
    CVD_LOG << " [MD5 String]: " << Utf16ToUtf8(GetMd5());
    CVD_LOG << " [Process Name]: " << Utf16ToUtf8(GetProcess_name());
    CVD_LOG << " [Extra Download Url]: " << Utf16ToUtf8(CurrentDownloadUrl());
    CVD_LOG << " [MD5 Extra String]: " << Utf16ToUtf8(GetMd5_extra());
    return 1;
}

bool CConfigure::IsExtraTextDownloader() const {
    static const std::int32_t kIds[] = {67, 68, 69, 128, 135, 157, 169, 226, 263, 285};
    return OneOf(Downloader_id, kIds);
}

bool CConfigure::IsChinaSite() const {
    static const std::int32_t kIds[] = {54, 93, 118, 127, 133, 290};
    return OneOf(Site_id, kIds);
}

bool CConfigure::IsJpCodeDownloader() const {
    static const std::int32_t kIds[] = {117, 118, 119, 120, 122, 123, 124, 125};
    return OneOf(Downloader_id, kIds);
}

// Locked plain accessors.
#define CVD_LOCKED_ACCESSORS(Type, Name)            \
    Type CConfigure::Get##Name() const {            \
        std::lock_guard guard(lock_);               \
        return Name##_;                             \
    }                                               \
    void CConfigure::Set##Name(const Type& value) { \
        std::lock_guard guard(lock_);               \
        Name##_ = value;                            \
    }
#define CVD_LOCKED_SCALAR_ACCESSORS(Type, Name) \
    Type CConfigure::Get##Name() const {        \
        std::lock_guard guard(lock_);           \
        return Name##_;                         \
    }                                           \
    void CConfigure::Set##Name(Type value) {    \
        std::lock_guard guard(lock_);           \
        Name##_ = value;                        \
    }

CVD_LOCKED_SCALAR_ACCESSORS(bool, IsExiting)
CVD_LOCKED_SCALAR_ACCESSORS(bool, SubProgramInfoDone)
CVD_LOCKED_SCALAR_ACCESSORS(std::int32_t, LanguageIndex)
CVD_LOCKED_SCALAR_ACCESSORS(std::int32_t, InstallStage)
CVD_LOCKED_SCALAR_ACCESSORS(std::int32_t, InstallState)
CVD_LOCKED_SCALAR_ACCESSORS(std::int32_t, LoadSource)
CVD_LOCKED_SCALAR_ACCESSORS(std::int32_t, CurrentSubProgram)
CVD_LOCKED_SCALAR_ACCESSORS(std::int64_t, Filesize)
CVD_LOCKED_SCALAR_ACCESSORS(std::int64_t, PackageSize)
CVD_LOCKED_SCALAR_ACCESSORS(std::int64_t, SpaceNeeded)
CVD_LOCKED_SCALAR_ACCESSORS(std::int64_t, SpaceFree)
#define CVD_NAME_PART_ACCESSORS(Name)                           \
    std::wstring CConfigure::Get##Name() const {                \
        std::lock_guard guard(lock_);                           \
        return Name##_;                                         \
    }                                                           \
    bool CConfigure::Set##Name(const std::wstring& value) {     \
        return SetNamePart(#Name, &CConfigure::Name##_, value); \
    }

CVD_NAME_PART_ACCESSORS(Software_name)
CVD_NAME_PART_ACCESSORS(Software_version)
CVD_NAME_PART_ACCESSORS(Process_name)
CVD_LOCKED_ACCESSORS(std::wstring, Download_url)
CVD_LOCKED_ACCESSORS(std::wstring, Extra_download_url)
CVD_LOCKED_ACCESSORS(std::wstring, Md5)
CVD_LOCKED_ACCESSORS(std::wstring, Md5_extra)
CVD_LOCKED_ACCESSORS(std::wstring, PrivacyUrl)
CVD_LOCKED_ACCESSORS(std::wstring, LicenseUrl)
CVD_LOCKED_ACCESSORS(std::wstring, FinishJumpUrl)
CVD_LOCKED_ACCESSORS(std::wstring, Package_product)
CVD_LOCKED_ACCESSORS(std::wstring, Package_min_version)
CVD_LOCKED_ACCESSORS(std::wstring, CheckedInstallPath)
CVD_LOCKED_ACCESSORS(std::wstring, CountryCode)
CVD_LOCKED_ACCESSORS(std::string, QueryUrl)

#undef CVD_LOCKED_ACCESSORS
#undef CVD_LOCKED_SCALAR_ACCESSORS
#undef CVD_NAME_PART_ACCESSORS

bool CConfigure::SetNamePart(const char* key, std::wstring CConfigure::*field,
                             const std::wstring& value) {
    if (!FuntionImpl::IsSafeFileNamePart(value)) {
        CVD_LOG << " Refused " << key
                << " (not a plain name): " << Utf16ToUtf8(FuntionImpl::PrintableNamePart(value));
        return false;
    }
    std::lock_guard guard(lock_);
    this->*field = value;
    return true;
}

std::vector<std::wstring> CConfigure::GetLanguage_str() const {
    std::lock_guard guard(lock_);
    return Language_str_;
}

std::vector<std::wstring> CConfigure::GetForbidCountries() const {
    std::lock_guard guard(lock_);
    return ForbidCountries_;
}

void CConfigure::PushDownloadUrl(const std::wstring& url) {
    std::lock_guard guard(lock_);
    DownloadUrls_.push_back(url);
}

std::wstring CConfigure::CurrentDownloadUrl() const {
    std::lock_guard guard(lock_);
    return DownloadUrls_.empty() ? std::wstring() : DownloadUrls_.back();
}

bool CConfigure::NextDownloadUrl() {
    std::lock_guard guard(lock_);
    if (DownloadUrls_.size() <= 1) return false;
    DownloadUrls_.pop_back();
    return true;
}

std::wstring CConfigure::GetLicenseLink(const std::string& key) const {
    std::lock_guard guard(lock_);
    const auto found = PrivacyLinks_.find(key);
    if (found != PrivacyLinks_.end() && !found->second.license_url.empty())
        return found->second.license_url;
    return LicenseUrl_;
}

std::wstring CConfigure::GetPrivacyLink(const std::string& key) const {
    std::lock_guard guard(lock_);
    const auto found = PrivacyLinks_.find(key);
    if (found != PrivacyLinks_.end() && !found->second.privacy_url.empty())
        return found->second.privacy_url;
    return PrivacyUrl_;
}

void CConfigure::SetLinks(const std::string& key, const std::wstring& privacyUrl,
                          const std::wstring& licenseUrl) {
    std::lock_guard guard(lock_);
    PrivacyLinks_[key] = PrivacyLinkPair{privacyUrl, licenseUrl};
}

void CConfigure::SetBanner(std::int32_t key, const BannerRecord& banner) {
    std::lock_guard guard(lock_);
    BannerInfo_[key] = banner;
}

bool CConfigure::GetBanner(std::int32_t key, BannerRecord& banner) const {
    std::lock_guard guard(lock_);
    const auto found = BannerInfo_.find(key);
    if (found == BannerInfo_.end()) return false;
    banner = found->second;
    return true;
}

std::map<std::int32_t, BannerRecord> CConfigure::GetBanners() const {
    std::lock_guard guard(lock_);
    return BannerInfo_;
}

void CConfigure::AddSubProgram(const SubProgramInfo& info) {
    std::lock_guard guard(lock_);
    SubPrograms_.push_back(info);
}

std::size_t CConfigure::SubProgramCount() const {
    std::lock_guard guard(lock_);
    return SubPrograms_.size();
}

bool CConfigure::GetSubProgram(std::size_t index, SubProgramInfo& info) const {
    std::lock_guard guard(lock_);
    if (index >= SubPrograms_.size()) return false;
    info = SubPrograms_[index];
    return true;
}

bool CConfigure::SetSubProgramStatus(std::size_t index, std::int32_t status) {
    std::lock_guard guard(lock_);
    if (index >= SubPrograms_.size()) return false;
    SubPrograms_[index].status = status;
    return true;
}

bool CConfigure::SetSubProgramRunPath(std::size_t index, const std::wstring& path) {
    std::lock_guard guard(lock_);
    if (index >= SubPrograms_.size()) return false;
    SubPrograms_[index].run_path = path;
    return true;
}

void CConfigure::AddWorkerThread(platform::ThreadHandle thread) {
    std::lock_guard guard(lock_);
    WorkerThreads_.push_back(std::move(thread));
}

void CConfigure::WaitForAllThreadExit() { WaitForAllThreadExit(kThreadExitTimeoutMs); }

void CConfigure::WaitForAllThreadExit(std::uint32_t timeoutEachMs) {
    std::vector<platform::ThreadHandle> threads;
    {
        std::lock_guard guard(lock_);
        IsExiting_ = true;
        threads = WorkerThreads_;
    }
    CVD_LOG << "WaitForAllThreadExit.........";
    // The lock is not held while waiting: the threads read the record on their way out.
    for (const auto& thread : threads)
        if (thread) thread->Wait(timeoutEachMs);
}

void CConfigure::AddFileToDelete(const std::wstring& path) {
    std::lock_guard guard(lock_);
    FilesToDelete_.push_back(path);
}

std::vector<std::wstring> CConfigure::GetFilesToDelete() const {
    std::lock_guard guard(lock_);
    return FilesToDelete_;
}

void CConfigure::DeleteFiles() const {
    for (const auto& path : GetFilesToDelete()) {
        std::error_code ignored;
        std::filesystem::remove(platform::FsPath(path), ignored);
    }
}

void CConfigure::ResetForTesting() {
    std::lock_guard guard(lock_);
    PackageSizeReported = false;
    Support32System = true;
    IsToolkit = false;
    ChooseLicense = false;
    Downloader_id = Software_id = Site_id = Language_id = 0;
    InstallTimeout = 240;
    Gif_duration = NeedStart_flag = admin_flag = MainPid = 0;
    StartSubProgram = 0;
    theme_color = 0;
    Department = 0;
    UserRetried = false;
    Language_str_.clear();
    ForbidCountries_.clear();
    IsExiting_ = SubProgramInfoDone_ = false;
    LanguageIndex_ = InstallStage_ = InstallState_ = LoadSource_ = 0;
    Filesize_ = PackageSize_ = SpaceNeeded_ = SpaceFree_ = 0;
    for (std::wstring* text : {&Software_name_, &Software_version_, &Process_name_, &Download_url_,
                               &Extra_download_url_, &Md5_, &Md5_extra_, &PrivacyUrl_, &LicenseUrl_,
                               &LogFilePath_, &CountryCode_, &FinishJumpUrl_, &Package_product_,
                               &Package_min_version_, &WorkDirectory_, &CheckedInstallPath_})
        text->clear();
    QueryUrl_.clear();
    Volumes_ = workdirs::SystemVolumes();
    BannerInfo_.clear();
    PrivacyLinks_.clear();
    DownloadUrls_.clear();
    CurrentSubProgram_ = -1;
    SubPrograms_.clear();
    WorkerThreads_.clear();
    FilesToDelete_.clear();
}
