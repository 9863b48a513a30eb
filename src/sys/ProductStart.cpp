#include "sys/ProductStart.h"

#include <filesystem>

#include "platform/FsPath.h"
#include "platform/Process.h"
#include "platform/SystemError.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

StartErrorReporter& Reporter() {
    static StartErrorReporter reporter;
    return reporter;
}

void ReportStartError(int error) {
    if (Reporter()) Reporter()(std::to_string(error));
}

// The folder of the quoted path, without the opening quote, up to and including its last
// separator.
std::wstring FolderOfQuoted(const std::wstring& exe) {
    const std::size_t last = exe.find_last_of(L"/\\");
    if (exe.size() < 2 || last == std::wstring::npos || last < 1) return {};
    return exe.substr(1, last);
}

std::wstring Unquoted(const std::wstring& exe) {
    return exe.size() >= 2 ? exe.substr(1, exe.size() - 2) : std::wstring();
}

// The product is the quoted path as it stands; only `args` are split into arguments.
std::int32_t StartWithOwnRights(const std::wstring& exe, const std::wstring& args) {
    platform::ProcessOptions options;
    options.program = Unquoted(exe);
    options.commandLine = args;
    options.workingFolder = FolderOfQuoted(exe);
    int error = platform::FileNotFoundError();  // when no program is named at all
    if (!options.program.empty() && platform::Process::Start(options, nullptr, &error)) return 0;
    CVD_LOG << "CreateProcess failed3 (" << error << ") " << Utf16ToUtf8(exe + args);
    ReportStartError(error);
    return -1;
}

std::int32_t StartAsDesktopUser(const std::wstring& exe) {
    const std::wstring file = Unquoted(exe);
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(platform::FsPath(file), ec)) {
        CVD_LOG << " CreateProcess failed1 (" << 2 << ")";
        ReportStartError(2);
        return -1;
    }
    platform::ProcessOptions options;
    options.program = file;
    options.workingFolder = FolderOfQuoted(exe);
    options.newSession = true;
    options.asDesktopUser = true;
    int error = 0;
    platform::Process::Start(options, nullptr, &error);
    if (error == 0) return 0;
    CVD_LOG << " CreateProcess failed2 (" << error << ")";
    ReportStartError(error);
    return -1;
}

}  // namespace

std::int32_t StartTargetMainExe(const std::wstring& exe, std::int32_t admin,
                                const std::wstring& args) {
    if (AutoRun()) return 0;
    CVD_LOG << " [StartTargetMainExe]: " << admin << " " << Utf16ToUtf8(exe) << " "
            << Utf16ToUtf8(args);
    return admin != 0 ? StartWithOwnRights(exe, args) : StartAsDesktopUser(exe);
}

void SetStartErrorReporter(StartErrorReporter reporter) { Reporter() = std::move(reporter); }

}  // namespace FuntionImpl
