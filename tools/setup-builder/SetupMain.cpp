// The setup program: installs the payload it carries into the folder named by /DIR= and writes
// its log where /LOG= says. Like the setups the installer expects, it first copies itself to a
// temporary "<name>.tmp" and runs from there, so the file it was started from is free again.
// Exit codes: 0 installed; 1 bad command line; 2 damaged payload (including entries that would
// land outside the folder); 3 the folder or a file could not be written; 4 no temporary copy.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PayloadInstall.h"
#include "SetupArguments.h"
#include "SetupCommandLine.h"
#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "sys/SetupFormat.h"

namespace {

namespace fs = std::filesystem;

class SetupLog {
public:
    explicit SetupLog(const std::string& path) {
        if (path.empty()) return;
        std::error_code ec;
        fs::create_directories(platform::Utf8Path(path).parent_path(), ec);
        out_.open(platform::Utf8Path(path), std::ios::app);
    }
    void Line(const std::string& text) {
        const platform::LocalTime now = platform::LocalTimeNow();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
                      now.day, now.hour, now.minute, now.second);
        if (out_) out_ << stamp << "   " << text << std::endl;
        std::fprintf(stderr, "%s\n", text.c_str());
    }

private:
    std::ofstream out_;
};

std::string TempCopyName(const std::string& name) {
    if (name.size() > 4 && name.ends_with(".exe")) return name.substr(0, name.size() - 3) + "tmp";
    return name + ".tmp";
}

int RunFromTempCopy(const std::string& self, const setup::SetupCommandLine& commandLine) {
    std::string error;
    const auto made =
        platform::MakeFreshPrivateFolder(platform::TempFolder(), L"cvd-setup-", error);
    if (!made) return 4;
    const fs::path copy =
        platform::FsPath(*made) /
        platform::Utf8Path(TempCopyName(platform::Utf8Text(platform::Utf8Path(self).filename())));
    std::error_code ec;
    fs::copy_file(platform::Utf8Path(self), copy, ec);
    fs::permissions(copy, fs::perms::owner_all, ec);
    int code = 4;
    if (!ec) {
        platform::ProcessOptions options;
        options.program = platform::WidePath(copy);  // whatever its name holds
        options.commandLine = commandLine.passOn;
        options.setupRules = commandLine.passOnSetupRules;
        if (auto child = platform::Process::Start(options)) {
            child->Wait(0xFFFFFFFFu);
            code = child->ExitCode().value_or(4);
        }
    }
    fs::remove_all(platform::FsPath(*made), ec);
    return code;
}

std::string Joined(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& arg : args) out += (out.empty() ? "" : " ") + arg;
    return out;
}

int Install(const std::string& self, const std::vector<std::string>& args) {
    const auto parsed = setup::ParseSetupArguments(args);
    if (!parsed) {
        SetupLog("").Line("Setup failed: no install folder (/DIR=) on the command line");
        return 1;
    }
    SetupLog log(parsed->log);
    log.Line("Setup started: " + Joined(args));
    log.Line("Running from " + self);
    std::ifstream in(platform::Utf8Path(self), std::ios::binary | std::ios::ate);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    const auto payload = in ? FuntionImpl::FindPayload(in, size) : std::nullopt;
    if (!payload) {
        log.Line("Setup failed: the setup carries no payload");
        return 2;
    }
    log.Line("Installing into " + parsed->dir + " (language " + parsed->lang + ")");
    const auto report = setup::InstallPayload(self, payload->offset, payload->length, parsed->dir);
    switch (report.result) {
        case setup::InstallResult::Installed:
            log.Line("Installed " + std::to_string(report.files) + " files into " + parsed->dir);
            return 0;
        case setup::InstallResult::DamagedPayload:
            log.Line("Setup failed: damaged payload: " + report.reason);
            return 2;
        case setup::InstallResult::WriteFailed:
            log.Line("Setup failed: " + report.reason);
            return 3;
    }
    return 3;
}

}  // namespace

int setup::RunSetup(const SetupCommandLine& commandLine) {
    const std::string self = platform::WideToUtf8(platform::ModulePath());
    if (!self.ends_with(".tmp")) return RunFromTempCopy(self, commandLine);
    return Install(self, commandLine.args);
}
