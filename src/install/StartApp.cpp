#include "install/StartApp.h"

#include "config/CConfigure.h"
#include "install/InstallEvents.h"
#include "install/ServerNames.h"
#include "platform/FsPath.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

using FuntionImpl::Utf16ToUtf8;

std::wstring Trimmed(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

void ReportStartWindow(std::int32_t subProgramId) {
    const std::int32_t gif = CConfigure::Instance().Gif_duration;
    Ga4("Download", "9.StartWindow", std::to_string(gif), gif == 0);
    Funnel("Launch", "StartWindow", {{"StartWindowTime", Bucket(gif, 3, "s")}});
    if (subProgramId == 0) return;
    const std::string id = std::to_string(subProgramId);
    Ga4("Download", "9.StartWindowIsChToolKit", id);
    Funnel("Launch", "StartWindowIsChToolKit", {{"StartWindowIsChToolKitPid", id}});
}

void ReportStartFailure(IInstallPage& window) {
    ReportFlowCode("DL019");
    window.ShowMessageBox(static_cast<std::int32_t>(BoxKind::ShortcutToLaunch), true);
}

}  // namespace

std::optional<StartPaths> ComputeStartPaths(const std::wstring& installPath) {
    CConfigure& config = CConfigure::Instance();
    const std::wstring processName = config.GetProcess_name();
    if (!AcceptServerName("Process_name", processName)) return std::nullopt;
    const std::wstring base = platform::WithTrailingSeparator(Trimmed(installPath));
    StartPaths paths;
    paths.mainExe = L"\"" + base + processName + L"\"";
    SubProgramInfo info;
    if (config.IsToolkit && config.SubProgramCount() == 1 && config.StartSubProgram != 0 &&
        config.GetSubProgram(0, info) && info.status == 1) {
        if (!AcceptServerName("launch_name", info.launch_name)) return std::nullopt;
        paths.subExe = base + info.launch_name;
        paths.subProgramId = info.pid;
    }
    if (paths.subProgramId != 0)
        paths.arguments = L" /startSubProgramPID " + std::to_wstring(paths.subProgramId);
    return paths;
}

void RunStartApp(IInstallPage& window, const StartSeams& seams) {
    CVD_LOG << "run start app";
    window.SetProductStarted();
    CConfigure& config = CConfigure::Instance();
    const std::wstring finishUrl = config.GetFinishJumpUrl();
    if (!finishUrl.empty()) {
        CVD_LOG << " Open FinshJumpUrl: " << Utf16ToUtf8(finishUrl);
        if (!FuntionImpl::AutoRun()) seams.openUrl(finishUrl);
        window.RequestClose();
        return;
    }
    const auto paths = ComputeStartPaths(window.GetInstallPath());
    if (!paths) {
        ReportStartFailure(window);
        window.RequestClose();
        return;
    }
    CVD_LOG << " get main exe: " << Utf16ToUtf8(paths->mainExe)
            << " and sub exe: " << Utf16ToUtf8(paths->subExe);
    ReportStartWindow(paths->subProgramId);
    auto* host = dynamic_cast<IWaitingWindowHost*>(&window);
    if (config.Gif_duration != 0 && host) {
        host->HideWindow();
        CVD_LOG << " show gif animal";
        host->ShowWaitingWindow({config.admin_flag, paths->arguments, config.GetLanguageIndex(),
                                 config.Gif_duration, config.GetSoftware_name(),
                                 config.GetSoftware_version(), paths->mainExe, seams.startMainExe});
    } else if (seams.startMainExe(paths->mainExe, config.admin_flag, paths->arguments) == -1) {
        ReportStartFailure(window);
    }
    window.RequestClose();
}

}  // namespace install
