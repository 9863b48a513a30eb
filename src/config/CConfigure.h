// The one process-wide record of the product configuration and of the run state that the UI
// thread, the install thread and the download workers share.
//
// Threading: one mutex guards the strings, lists, maps, 64-bit numbers and run-time fields;
// their accessors take it and string getters return copies. The scalar key fields are plain
// members, written by Init before any other thread exists and read without the lock. The lock is
// never held across a call out of the record.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "config/ConfigRecords.h"
#include "config/WorkDirectories.h"
#include "platform/Thread.h"

namespace toolkit {
class XmlNode;
}

class CConfigure {
public:
    static CConfigure& Instance();

    // Reads "configure\\configure.xml" from the skin package and detects the interface language.
    void Init();
    // Applies the entries of a configuration document's first child element (tests, tools).
    void ApplyDocument(const toolkit::XmlNode& root);
    int printContent();

    // Scalar keys: read and written directly, without the lock.
    bool PackageSizeReported = false;
    bool Support32System = true;
    bool IsToolkit = false;
    bool ChooseLicense = false;
    std::int32_t Downloader_id = 0;
    std::int32_t Software_id = 0;
    std::int32_t Site_id = 0;
    std::int32_t Language_id = 0;
    std::int32_t InstallTimeout = 240;
    std::int32_t Gif_duration = 0;
    std::int32_t NeedStart_flag = 0;
    std::int32_t admin_flag = 0;
    std::int32_t MainPid = 0;
    std::uint32_t StartSubProgram = 0;
    std::uint32_t theme_color = 0;
    std::int32_t Department = 0;
    bool UserRetried = false;

    // Derived predicates.
    bool IsExtraTextDownloader() const;
    bool IsChinaSite() const;
    bool IsJpCodeDownloader() const;

    // Lists of the document.
    std::vector<std::wstring> GetLanguage_str() const;
    std::vector<std::wstring> GetForbidCountries() const;

    // Run state.
    bool GetIsExiting() const;
    void SetIsExiting(bool value);
    bool GetSubProgramInfoDone() const;
    void SetSubProgramInfoDone(bool value);
    std::int32_t GetLanguageIndex() const;
    void SetLanguageIndex(std::int32_t value);
    std::int32_t GetInstallStage() const;
    void SetInstallStage(std::int32_t value);
    std::int32_t GetInstallState() const;
    void SetInstallState(std::int32_t value);
    // The install folder as the last passed folder check left it (the check may move it).
    std::wstring GetCheckedInstallPath() const;
    void SetCheckedInstallPath(const std::wstring& value);
    std::int32_t GetLoadSource() const;
    void SetLoadSource(std::int32_t value);
    std::int32_t GetCurrentSubProgram() const;
    void SetCurrentSubProgram(std::int32_t value);

    std::int64_t GetFilesize() const;
    void SetFilesize(std::int64_t value);
    std::int64_t GetPackageSize() const;
    void SetPackageSize(std::int64_t value);
    std::int64_t GetSpaceNeeded() const;
    void SetSpaceNeeded(std::int64_t value);
    std::int64_t GetSpaceFree() const;
    void SetSpaceFree(std::int64_t value);

    // These three become parts of file and folder names (the package, the product folder, the
    // product's executable). A value that is no safe name part (FuntionImpl::IsSafeFileNamePart)
    // is refused and logged: the previous value stays and the setter returns false.
    std::wstring GetSoftware_name() const;
    bool SetSoftware_name(const std::wstring& value);
    std::wstring GetSoftware_version() const;
    bool SetSoftware_version(const std::wstring& value);
    std::wstring GetProcess_name() const;
    bool SetProcess_name(const std::wstring& value);
    std::wstring GetDownload_url() const;
    void SetDownload_url(const std::wstring& value);
    std::wstring GetExtra_download_url() const;
    void SetExtra_download_url(const std::wstring& value);
    std::wstring GetMd5() const;
    void SetMd5(const std::wstring& value);
    std::wstring GetMd5_extra() const;
    void SetMd5_extra(const std::wstring& value);
    std::wstring GetPrivacyUrl() const;
    void SetPrivacyUrl(const std::wstring& value);
    std::wstring GetLicenseUrl() const;
    void SetLicenseUrl(const std::wstring& value);
    std::wstring GetFinishJumpUrl() const;
    void SetFinishJumpUrl(const std::wstring& value);
    // What a downloaded package must be: the product its signed manifest names and the oldest
    // version accepted (empty: any). Only the configuration document sets them; no server answer
    // may, since they guard against the server handing out something else.
    std::wstring GetPackage_product() const;
    void SetPackage_product(const std::wstring& value);
    std::wstring GetPackage_min_version() const;
    void SetPackage_min_version(const std::wstring& value);
    std::wstring GetCountryCode() const;
    void SetCountryCode(const std::wstring& value);
    std::string GetQueryUrl() const;
    void SetQueryUrl(const std::string& value);

    // Candidate package URLs; the top is the one in use.
    void PushDownloadUrl(const std::wstring& url);
    std::wstring CurrentDownloadUrl() const;
    bool NextDownloadUrl();

    // Per-language links with the document's links as fallback.
    std::wstring GetLicenseLink(const std::string& key) const;
    std::wstring GetPrivacyLink(const std::string& key) const;
    void SetLinks(const std::string& key, const std::wstring& privacyUrl,
                  const std::wstring& licenseUrl);

    void SetBanner(std::int32_t key, const BannerRecord& banner);
    bool GetBanner(std::int32_t key, BannerRecord& banner) const;
    std::map<std::int32_t, BannerRecord> GetBanners() const;

    void AddSubProgram(const SubProgramInfo& info);
    std::size_t SubProgramCount() const;
    bool GetSubProgram(std::size_t index, SubProgramInfo& info) const;
    bool SetSubProgramStatus(std::size_t index, std::int32_t status);
    bool SetSubProgramRunPath(std::size_t index, const std::wstring& path);

    void AddWorkerThread(platform::ThreadHandle thread);
    // Raises IsExiting and waits for each registered thread, at most 600000 ms each.
    void WaitForAllThreadExit();
    void WaitForAllThreadExit(std::uint32_t timeoutEachMs);

    void AddFileToDelete(const std::wstring& path);
    void DeleteFiles() const;
    std::vector<std::wstring> GetFilesToDelete() const;

    // Work directories.
    std::wstring GetProductFolderName() const;
    // Chosen once (WorkDirectoryCandidates), logged, created and cached.
    std::wstring GetWorkDirectory();
    // The disks GetWorkDirectory chooses among (the machine's until set).
    void SetVolumeSource(workdirs::VolumeSource source);
    std::wstring GetLogDirectory() const;
    std::wstring GetLogFilePath();
    std::wstring GetPackageFileName() const;

    // Back to the state before Init (tests only).
    void ResetForTesting();

private:
    CConfigure() = default;
    void ApplyEntry(const std::wstring& key, const std::wstring& value);
    bool SetNamePart(const char* key, std::wstring CConfigure::*field, const std::wstring& value);

    mutable std::mutex lock_;
    std::vector<std::wstring> Language_str_;
    std::vector<std::wstring> ForbidCountries_;
    bool IsExiting_ = false;
    bool SubProgramInfoDone_ = false;
    std::int32_t LanguageIndex_ = 0;
    std::int32_t InstallStage_ = 0;
    std::int32_t InstallState_ = 0;
    std::int32_t LoadSource_ = 0;
    std::int64_t Filesize_ = 0;
    std::int64_t PackageSize_ = 0;
    std::int64_t SpaceNeeded_ = 0;
    std::int64_t SpaceFree_ = 0;
    std::wstring Software_name_;
    std::wstring Software_version_;
    std::wstring Process_name_;
    std::wstring Download_url_;
    std::wstring Extra_download_url_;
    std::wstring Md5_;
    std::wstring Md5_extra_;
    std::wstring PrivacyUrl_;
    std::wstring LicenseUrl_;
    std::wstring LogFilePath_;
    std::wstring CountryCode_;
    std::wstring FinishJumpUrl_;
    std::wstring Package_product_;
    std::wstring Package_min_version_;
    std::wstring WorkDirectory_;
    std::wstring CheckedInstallPath_;
    workdirs::VolumeSource Volumes_ = workdirs::SystemVolumes();
    std::string QueryUrl_;
    std::map<std::int32_t, BannerRecord> BannerInfo_;
    std::map<std::string, PrivacyLinkPair> PrivacyLinks_;
    std::vector<std::wstring> DownloadUrls_;
    std::int32_t CurrentSubProgram_ = -1;
    std::vector<SubProgramInfo> SubPrograms_;
    std::vector<platform::ThreadHandle> WorkerThreads_;
    std::vector<std::wstring> FilesToDelete_;
};
