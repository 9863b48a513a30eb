#include "install/Verification.h"

#include "config/CConfigure.h"
#include "install/ExceptionReport.h"
#include "install/InstallEvents.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace install {
namespace {

std::int64_t SecondsSince(std::uint32_t tick) { return (platform::TickCount() - tick) / 1000; }

// The main package. `md5` and `sig` receive the two results; false when stopped.
bool VerifyMainPackage(InstallAttempt& attempt, bool& md5, bool& sig) {
    CConfigure& config = CConfigure::Instance();
    CVD_LOG << " start main md5 check";
    Ga4("Download", "Md5CheckStart", "");
    Funnel("MD5Verification", "IntegrityCheckStart");
    // The checks read the copy that will run; without one nothing may run.
    attempt.runPath = attempt.runFolder.Copy(attempt.packagePath);
    const std::wstring& checked = attempt.runPath.empty() ? attempt.packagePath : attempt.runPath;
    // A configuration from the document carries digests the server may since have changed.
    const int md5Result =
        config.GetLoadSource() == 2
            ? 1
            : attempt.seams.checkMd5(checked, config.GetMd5(), config.GetMd5_extra(),
                                     config.GetSoftware_version());
    md5 = md5Result == 1;
    CVD_LOG << " finish main md5 check ret = " << md5Result;
    if (attempt.Stopped()) return false;
    sig = !attempt.runPath.empty() && attempt.seams.verifySignature(attempt.runPath) &&
          attempt.seams.verifyProduct(attempt.runPath);
    Ga4("Download", "Md5CheckFinsh", "");
    const std::int64_t seconds = SecondsSince(attempt.verifyTick);
    Ga4("Other", "MMD5CheckTime", std::to_string(seconds));
    Funnel("MD5Verification", "MIntegrityCheckFinish",
           {{"MIntegrityCheckTime", Bucket(seconds, 3, "s")}});
    return true;
}

// False when stopped.
bool VerifySubPrograms(InstallAttempt& attempt) {
    CConfigure& config = CConfigure::Instance();
    CVD_LOG << " start sub md5 check";
    SubProgramInfo info;
    for (std::size_t i = 0; config.GetSubProgram(i, info); ++i) {
        if (info.status != 1) continue;
        if (attempt.Stopped()) return false;
        const std::string id = std::to_string(info.pid);
        Ga4("Download", "Md5CheckStartIsChToolKit", id);
        Funnel("MD5Verification", "IntegrityCheckStartIsChToolKit",
               {{"IntegrityCheckStartIsChToolKitPID", id}});
        const std::wstring copy = attempt.runFolder.Copy(info.local_path);
        attempt.seams.checkMd5(copy.empty() ? info.local_path : copy, info.file_md5, L"", L"");
        if (attempt.Stopped()) return false;
        // A sub-program whose signature fails is not run: it would run code nobody vouched for.
        if (!copy.empty() && attempt.seams.verifySignature(copy)) {
            config.SetSubProgramRunPath(i, copy);
        } else {
            CVD_LOG << " sub program signature fail, not installed: " << info.pid;
            config.SetSubProgramStatus(i, 0);
        }
        Ga4("Download", "Md5CheckFinshIsChToolKit", id);
        Funnel("MD5Verification", "IntegrityCheckFinishIsChToolKit",
               {{"IntegrityCheckStartIsChToolKitPID", id}});
    }
    CVD_LOG << " finish sub md5 check";
    const std::int64_t seconds = SecondsSince(attempt.verifyTick);
    Ga4("Other", "MD5CheckTime", std::to_string(seconds));
    Funnel("MD5Verification", "IntegrityCheckFinish",
           {{"IntegrityCheckTime", Bucket(seconds, 3, "s")}});
    return true;
}

void ReportIntegrityFailure(InstallAttempt& attempt, bool md5, bool sig) {
    if (md5 && sig) return;
    const char* code = !md5 && !sig ? "DL015" : !md5 ? "DL013" : "DL014";
    const ExceptionKind kind = !md5 && !sig ? ExceptionKind::Md5AndSignature
                               : !md5       ? ExceptionKind::Md5
                                            : ExceptionKind::Signature;
    ReportFlowCode(code);
    SendExceptionReport(attempt, kind, " Send error report, response is ");
}

}  // namespace

bool VerifyPackages(InstallAttempt& attempt) {
    attempt.verifyTick = platform::TickCount();
    attempt.Post(WM_INSTALL_VERIFYING);
    bool md5 = false;
    bool sig = false;
    if (!VerifyMainPackage(attempt, md5, sig)) return false;
    if (!VerifySubPrograms(attempt)) return false;
    ReportIntegrityFailure(attempt, md5, sig);
    if (attempt.Stopped()) return false;
    if (sig) return true;
    CVD_LOG << "signature fail";
    attempt.Post(WM_INSTALL_SIGNATURE_FAIL);
    return false;
}

}  // namespace install
