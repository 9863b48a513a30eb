#include "install/PackageRun.h"

#include <array>
#include <filesystem>
#include <memory>

#include "config/CConfigure.h"
#include "config/WorkDirectories.h"
#include "content/ContentEvents.h"
#include "download/DownloadEvents.h"
#include "install/StartApp.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/SystemError.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"

namespace install {
namespace {

constexpr std::array<const wchar_t*, 20> kLanguageCodes = {
    L"en",   L"ja", L"zhcn", L"es", L"de", L"fr", L"ru", L"pt", L"ar", L"it",
    L"zhtw", L"ko", L"nl",   L"id", L"tr", L"hi", L"th", L"my", L"se", L"cz"};

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"/\\");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::string Narrow(const std::wstring& text) { return FuntionImpl::Utf16ToUtf8(text); }

void Post(IInstallWindow& window, std::uint32_t message) {
    if (auto target = window.GetMessageTarget()) target->PostCustomMessage(message, 0, 0);
}

std::wstring CurrentLanguageCode() {
    const CConfigure& config = CConfigure::Instance();
    return InstallerLanguageCode(config.GetLanguageIndex(), config.IsJpCodeDownloader());
}

std::wstring OwnTrackValue() { return TrackValue(platform::ModulePath()); }

// Installers are started the way setup programs read their command line (a quote toggles, a
// backslash is literal), so the folder's trailing separator stays inside its quotes. The
// verified file is the program as it stands: its name is never split out of the line again.
// Nothing when the installer could not start (`startError` gets the system's error number).
std::unique_ptr<platform::Process> StartInstaller(const std::wstring& program,
                                                  const std::wstring& commandLine,
                                                  int& startError) {
    platform::ProcessOptions options;
    options.program = program;
    options.commandLine = commandLine;
    options.setupRules = true;
    return platform::Process::Start(options, nullptr, &startError);
}

std::string ExitCodeText(const platform::Process& process) {
    const std::optional<int> code = process.ExitCode();
    return code ? std::to_string(*code) : std::string("none");
}

// The installer ended; without the product's main program in the folder it failed, whatever
// its exit code says.
bool MainProgramInstalled(const std::wstring& installPath, const platform::Process& process) {
    const auto paths = ComputeStartPaths(installPath);
    const std::wstring program = paths && paths->mainExe.size() > 2
                                     ? paths->mainExe.substr(1, paths->mainExe.size() - 2)
                                     : std::wstring();
    std::error_code error;
    const bool installed =
        !program.empty() && std::filesystem::is_regular_file(platform::FsPath(program), error);
    CVD_LOG << " Installer exit code: " << ExitCodeText(process)
            << (installed ? "" : ", main program missing: " + Narrow(program));
    return installed;
}

bool ExitingNow() {
    if (!CConfigure::Instance().GetIsExiting()) return false;
    CVD_LOG << "force break thread !!!";
    return true;
}

bool RunOneSubProgram(const SubProgramInfo& info, const std::wstring& installPath,
                      const std::wstring& logFolder) {
    if (ExitingNow()) return false;
    const std::string id = std::to_string(info.pid);
    IDownloadEvents& events = DownloadEvents();
    events.ga4("Download", "5.ProgramInstallIsChToolKit", id);
    events.funnel("Install", "ProgramInstallIsChToolKit", "ProgramInstallIsChToolKitPID", id);
    const std::wstring line =
        SubProgramCommandLine(installPath, info.install_dir, info.local_path, CurrentLanguageCode(),
                              logFolder, OwnTrackValue());
    CVD_LOG << " [Download File Path]: " << Narrow(info.local_path);
    CVD_LOG << " [Start Install CmdLine]: " << Narrow(line);
    int startError = 0;
    auto process = StartInstaller(info.run_path, line, startError);
    if (!process) {
        CVD_LOG << " sub program could not start: " << platform::SystemErrorText(startError);
        return true;
    }
    std::int32_t count = 0;
    switch (WaitInSteps([&] { return process->Wait(1000); }, kSubProgramWaitSteps, count)) {
        case Waited::Exiting:
            return false;
        case Waited::OutOfTime:
            CVD_LOG << " sub program insatll timed out: 240";
            break;
        case Waited::Ended:
            break;
    }
    CVD_LOG << " Install finish: " << count;
    events.ga4("Download", "6.ProgramFinshIsChToolKit", id);
    events.funnel("InstallationSuccessful", "ProgramInstallSuccessChToolKit",
                  "ProgramInstallSuccessChToolKitPID", id);
    return true;
}

}  // namespace

std::wstring InstallerLanguageCode(std::int32_t languageIndex, bool jpCode) {
    if (languageIndex < 0 || languageIndex >= static_cast<std::int32_t>(kLanguageCodes.size()))
        return {};
    if (jpCode && languageIndex == 1) return L"jp";
    return kLanguageCodes[static_cast<std::size_t>(languageIndex)];
}

std::wstring TrackValue(const std::wstring& ownModulePath) {
    const std::wstring name = FileNameOf(ownModulePath);
    return name.find(L'_') != std::wstring::npos ? L"\"" + name + L"\"" : L"null";
}

std::wstring MainPackageCommandLine(const std::wstring& installPath, const std::wstring& langCode,
                                    const std::wstring& logFolder, const std::wstring& softwareName,
                                    const std::wstring& stamp, const std::wstring& track) {
    return L" /VERYSILENT /SP- /NORESTART /DIR=\"" + installPath + L"\\\" /LANG=" + langCode +
           L" /LOG=\"" + logFolder + L"Setup_" + softwareName + L"_" + stamp + L".log\"" +
           L" /sptrack " + track;
}

std::wstring SubProgramCommandLine(const std::wstring& installPath, const std::wstring& installDir,
                                   const std::wstring& localPath, const std::wstring& langCode,
                                   const std::wstring& logFolder, const std::wstring& track) {
    return L" /VERYSILENT /SP- /NORESTART /DIR=\"" + installPath + L"\\" + installDir +
           L"\" /LANG=" + langCode + L" /LOG=\"" + logFolder + FileNameOf(localPath) +
           L".install.log\" /sptrack " + track;
}

Waited WaitInSteps(const std::function<bool()>& step, std::int32_t limit, std::int32_t& count) {
    count = 0;
    while (!step()) {
        if (CConfigure::Instance().GetIsExiting()) {
            CVD_LOG << "force break thread !!!";
            return Waited::Exiting;
        }
        if (count++ > limit) return Waited::OutOfTime;
    }
    return Waited::Ended;
}

bool RunMainPackage(const std::wstring& packagePath, const std::wstring& installPath,
                    IInstallWindow& window, const ReplacePackageNotice& notice) {
    if (FuntionImpl::ReplacePackage() && notice) notice(packagePath);
    CConfigure& config = CConfigure::Instance();
    const std::uint32_t installTick = platform::TickCount();
    const std::wstring line = MainPackageCommandLine(
        installPath, CurrentLanguageCode(), config.GetLogDirectory(), config.GetSoftware_name(),
        workdirs::LocalTimeStamp17().substr(0, 14), OwnTrackValue());
    CVD_LOG << " [Download File Path]: " << Narrow(packagePath);
    CVD_LOG << " [Start Install CmdLine]: " << Narrow(line);

    const std::string label = config.UserRetried ? "Retry" : "First";
    IDownloadEvents& events = DownloadEvents();
    events.ga4("Download", "5.ProgramInstall", label);
    events.funnel("Install", "ProgramInstall", "ProgramInstallType", label);

    int startError = 0;
    auto process = StartInstaller(packagePath, line, startError);
    if (!process) {
        content::ReportErrorCode(kInstallerStartFailed);
        CVD_LOG << " Installer could not start: " << platform::SystemErrorText(startError);
        Post(window, WM_INSTALL_TIMEOUT);
        return false;
    }
    Post(window, WM_INSTALL_RUNNING);
    std::int32_t count = 0;
    switch (WaitInSteps([&] { return process->Wait(1000); }, config.InstallTimeout, count)) {
        case Waited::Exiting:
            return false;
        case Waited::OutOfTime:
            content::ReportErrorCode("DL016");
            CVD_LOG << " Cmd nWaitSeconds timed out: " << config.InstallTimeout;
            Post(window, WM_INSTALL_TIMEOUT);
            return false;
        case Waited::Ended:
            break;
    }
    if (!MainProgramInstalled(installPath, *process)) {
        content::ReportErrorCode(kInstallerFailed);
        Post(window, WM_INSTALL_TIMEOUT);
        return false;
    }
    const std::uint32_t seconds = content::SecondsSince(installTick);
    events.ga4("Other", "MInstallTime", std::to_string(seconds));
    CVD_LOG << " install Finished, nWaitSeconds: " << count;
    events.funnelProperties("InstallationSuccessful", "ProgramInstallSuccess",
                            {{"ProgramInstallSuccessType", label},
                             {"MInstallTime", CSingleUserLog::BucketLabel(seconds, 3, "s")}});
    return true;
}

bool RunSubPrograms(const std::wstring& installPath, IInstallWindow& window) {
    (void)window;  // sub-program runs post nothing
    const CConfigure& config = CConfigure::Instance();
    const std::wstring logFolder = config.GetLogDirectory();
    for (std::size_t i = 0; i < config.SubProgramCount(); ++i) {
        SubProgramInfo info;
        if (!config.GetSubProgram(i, info) || info.status != 1) continue;
        if (!RunOneSubProgram(info, installPath, logFolder)) return false;
    }
    return true;
}

}  // namespace install
