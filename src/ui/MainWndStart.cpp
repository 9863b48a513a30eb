// InstallUIMainWnd: "Use Now" on the success view. An installed program is started by the install
// flow, behind the waiting animation this window hosts; a package that is not a program is shown
// in the file manager.
#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "sys/Log.h"
#include "sys/NetFrameCheck.h"
#include "sys/ProductStart.h"
#include "sys/TextConvert.h"
#include "ui/CAlientWnd.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MainWndShared.h"
#include "ui/ShellOpen.h"

using ui::mainwnd::UserLog;

void InstallUIMainWnd::OnStartClick() {
    CConfigure& config = CConfigure::Instance();
    if (!workdirs::IsExecutableDownload(config.GetDownload_url())) {
        CVD_LOG << " show the apk file";
        ui::ShowInFileManager(
            FuntionImpl::Utf16ToUtf8(config.GetWorkDirectory() + config.GetPackageFileName()));
        return;
    }
    // The product's own .NET check would come up behind the animation.
    if (FuntionImpl::WillShowNetFrameCheck(GetInstallPath())) config.Gif_duration = 0;
    UserLog().AddUserLog("Download", "7.ProgramLaunch", "", config.Gif_duration == 0);
    UserLog().AddUserLog_funnel(
        "Launch", "ProgramLaunch", "ProgramLaunchType",
        config.NeedStart_flag == 1 ? "ProgramLaunchAutomatic" : "ProgramLaunchManual");
    if (tasks_) tasks_->RunStartApp(*this);
}

void InstallUIMainWnd::HideWindow() { ShowWindow(false); }

void InstallUIMainWnd::ShowWaitingWindow(const install::WaitingStart& start) {
    CAlientWnd::StartData data;
    data.quotedExe = start.quotedMainExe;
    data.args = start.arguments;
    data.admin = start.adminFlag;
    data.caption = start.softwareName;
    data.waitSeconds = start.gifDuration;
    data.languageIndex = start.languageIndex;
    CAlientWnd waiting(std::move(data),
                       start.startMainExe ? start.startMainExe : FuntionImpl::StartTargetMainExe);
    waiting.ShowModalWindow();
}
