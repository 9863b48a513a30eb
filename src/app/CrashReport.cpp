#include "app/CrashReport.h"

#include <zip.h>

#include <cwchar>
#include <filesystem>
#include <system_error>

#include "net/CLibcurlTool.h"
#include "platform/FsPath.h"
#include "sys/Log.h"
#include "sys/MemoryZip.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using FuntionImpl::Utf16ToUtf8;

constexpr wchar_t kSwitch[] = L"-dmp ";

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The command line is outside input: a name with folders must not lead out of the log folder.
std::wstring FileNamePart(const std::wstring& name) {
    const std::size_t slash = name.find_last_of(L"/\\");
    std::wstring part = slash == std::wstring::npos ? name : name.substr(slash + 1);
    return part == L"." || part == L".." ? std::wstring() : part;
}

bool AddFile(zip_t* archive, const fs::path& file, const std::string& entry) {
    return FuntionImpl::AddFileEntry(archive, platform::WidePath(file), entry,
                                     ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) >= 0;
}

void AddEveryDump(zip_t* archive, const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".dmp" && IsRegularFile(it->path()))
            AddFile(archive, it->path(), platform::Utf8Text(it->path().filename()));
    }
}

}  // namespace

std::optional<std::wstring> CrashReportArgument(const std::wstring& commandLine) {
    const std::size_t at = commandLine.find(kSwitch);
    if (at == std::wstring::npos) return std::nullopt;
    return commandLine.substr(at + std::wcslen(kSwitch));
}

std::wstring JoinedCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (std::size_t i = 0; i < arguments.size(); ++i) line += (i ? L" " : L"") + arguments[i];
    return line;
}

platform::CrashPlan CrashPlanFor(std::int32_t downloaderId, const std::string& ownVersion,
                                 const std::wstring& logDirectory, const std::wstring& logFile) {
    platform::CrashPlan plan;
    plan.logFile = logFile;
    plan.dumpFolder = logDirectory;
    if (logFile.empty()) {
        plan.dumpPrefix =
            std::to_wstring(downloaderId) + L"_" + FuntionImpl::Utf8ToUtf16(ownVersion) + L"_";
    } else {
        plan.dumpFile = logFile + L".dmp";
    }
    plan.restartArguments = {L"-dmp", FileNamePart(logFile)};
    return plan;
}

std::wstring CrashArchivePath(const std::wstring& logDirectory, const std::wstring& stamp17) {
    return logDirectory + stamp17 + L".zip";
}

std::string CrashUploadName(const std::wstring& logName, const std::wstring& stamp17) {
    const std::size_t underscore = logName.rfind(L'_');
    if (underscore == std::wstring::npos) return std::string();
    return Utf16ToUtf8(logName.substr(0, underscore)) + "_" + Utf16ToUtf8(stamp17) + ".zip";
}

CrashUploader LogServiceUploader() {
    return [](const std::string& archivePath, const std::string& uploadName) {
        return CLibcurlTool::uploadLogFile(archivePath, uploadName, "CVDownload2900",
                                           FuntionImpl::OwnVersionText(), "CrashDmp");
    };
}

int PackCrashReport(const CrashReportInput& input, const CrashUploader& upload) {
    const std::wstring name = FileNamePart(input.logName);
    const fs::path folder = platform::FsPath(input.logDirectory);
    const fs::path logFile = folder / platform::FsPath(name);
    const fs::path dumpFile = folder / platform::FsPath(name + L".dmp");
    const fs::path archivePath =
        platform::FsPath(CrashArchivePath(input.logDirectory, input.stamp17));

    FuntionImpl::MemoryZip memory;
    zip_t* archive = memory.Archive();
    if (!archive) {
        CVD_LOG << "crash report archive not created: " << ZIP_ER_MEMORY;
        return -1;
    }
    // Without a name the "log" would be the folder itself, which no archive can hold as a file.
    if (IsRegularFile(logFile)) AddFile(archive, logFile, Utf16ToUtf8(name));
    if (!name.empty() && IsRegularFile(dumpFile))
        AddFile(archive, dumpFile, Utf16ToUtf8(name + L".dmp"));
    else
        AddEveryDump(archive, folder);
    std::string why;
    if (!memory.SaveTo(platform::WidePath(archivePath), why)) {
        CVD_LOG << "crash report archive not written: " << why;
        return -1;
    }

    if (IsRegularFile(archivePath)) {
        const int result =
            upload(platform::Utf8Text(archivePath), CrashUploadName(name, input.stamp17));
        CVD_LOG << "crash report upload: " << result;
        std::error_code ignored;
        if (result == 0) fs::remove(archivePath, ignored);
    }
    return 0;
}

}  // namespace app
