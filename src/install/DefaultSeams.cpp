// The install flow wired to the real world: the download engine, the package signature check,
// the package runs, the update server, the system's facts. Tests replace these seams.
#include "config/CConfigure.h"
#include "content/DownloadInfoQuery.h"
#include "install/AfterInstall.h"
#include "install/ExceptionReport.h"
#include "install/InstallAttempt.h"
#include "install/PackageRun.h"
#include "install/PreInstallChecks.h"
#include "install/ReplacePackageNotice.h"
#include "install/StartApp.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/WebPage.h"
#include "sys/OsFacts.h"
#include "sys/PackageProduct.h"
#include "sys/PackageSignature.h"
#include "sys/ProductStart.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

bool ProbeUrl(const std::string& url, long& status, int& curlCode) {
    CLibcurlTool curl;
    if (!curl.hasHandle()) return false;
    char headers[2048] = {};
    curlCode = curl.httpGetHeader(url, headers, status);
    return true;
}

// The native program-files folder: %ProgramW6432% when set, else the program-files folder. On
// Linux a process sees one program-files folder whatever its word size, so both views agree
// and the rule changes nothing unless the variable says otherwise.
std::wstring NativeProgramFiles() {
    const std::wstring native = platform::EnvironmentValue(L"ProgramW6432");
    return native.empty() ? platform::ProgramFilesFolder() : native;
}

// What the configuration document, not the server, says the package must be.
FuntionImpl::ProductRequirement RequiredProduct() {
    const CConfigure& config = CConfigure::Instance();
    return {FuntionImpl::Utf16ToUtf8(config.GetPackage_product()),
            FuntionImpl::Utf16ToUtf8(config.GetPackage_min_version())};
}

}  // namespace

InstallSeams DefaultSeams() {
    InstallSeams seams;
    seams.download = [](const std::wstring& url, const std::wstring& path, std::string& cdnInfo,
                        bool report, bool checkMinSize, IDownloadProgress* progress) {
        return CDownLoadImpl(progress).SuperDownloadFile(url, path, cdnInfo, report, checkMinSize);
    };
    seams.checkMd5 = &CDownLoadImpl::checkMD5;
    seams.verifySignature = [](const std::wstring& path) {
        return FuntionImpl::VerifyEmbeddedSignature(path);
    };
    seams.verifyProduct = [](const std::wstring& path) {
        return FuntionImpl::VerifyPackageProduct(path, RequiredProduct()).accepted;
    };
    seams.runMainPackage = [](const std::wstring& package, const std::wstring& installPath,
                              IInstallWindow& window) {
        return RunMainPackage(package, installPath, window, ShowReplacePackageNotice);
    };
    seams.runSubPrograms = [](const std::wstring& installPath, IInstallWindow& window) {
        return RunSubPrograms(installPath, window);
    };
    seams.queryServer = [] { return content::getDownloadInfoServer(true); };
    seams.probeUrl = ProbeUrl;
    seams.postException = PostExceptionReport;
    seams.restartSelf = RestartOwnExecutable;
    seams.sleep = platform::SleepMs;
    FuntionImpl::GetOsVersion(seams.windowsVersion);
    seams.is64BitSystem = FuntionImpl::Is64BitSystem();
    seams.programFilesNative = NativeProgramFiles();
    seams.programFiles32 = platform::ProgramFilesFolder();
    return seams;
}

StartSeams DefaultStartSeams() {
    return {FuntionImpl::StartTargetMainExe,
            [](const std::wstring& url) { platform::OpenWebPage(url); }};
}

std::uint32_t InstallThreadFunc(const IInstallWindow& window) {
    return InstallThreadFunc(window, DefaultSeams());
}

int BeginInstallTask(IInstallPage& window) { return BeginInstallTask(window, DefaultSeams()); }

void RunStartApp(IInstallPage& window) { RunStartApp(window, DefaultStartSeams()); }

}  // namespace install
