// Crash reports: where the crash handler writes its dump and how it restarts the installer, and
// the crash-report mode of the restarted process, which packs the log and the dump into a zip
// archive, uploads it and deletes the archive once the service has taken it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/CrashHandler.h"

namespace app {

// The crash-report switch: the text after the first "-dmp " of the command line, to its end;
// nothing when the command line has no "-dmp " ("-dmp" at the very end is no switch).
std::optional<std::wstring> CrashReportArgument(const std::wstring& commandLine);

// The command line of a process started with `arguments` (argv without the program): the
// arguments joined by one blank, as the installer was started.
std::wstring JoinedCommandLine(const std::vector<std::wstring>& arguments);

// The dump goes beside the log file ("<log>.dmp"); without a log file into the log directory
// under "<id>_<version>_<time stamp>.dmp". The restarted process gets "-dmp" and the log file's
// name (no folder).
platform::CrashPlan CrashPlanFor(std::int32_t downloaderId, const std::string& ownVersion,
                                 const std::wstring& logDirectory, const std::wstring& logFile);

// logDirectory + stamp17 + ".zip".
std::wstring CrashArchivePath(const std::wstring& logDirectory, const std::wstring& stamp17);
// The log name up to its last '_', then "_" + stamp17 + ".zip"; empty when it has no '_'.
std::string CrashUploadName(const std::wstring& logName, const std::wstring& stamp17);

// Sends the archive at `archivePath` under `uploadName`; 0 when the service took it.
using CrashUploader =
    std::function<int(const std::string& archivePath, const std::string& uploadName)>;
// uploadLogFile with the product id "CVDownload2900", the installer's version and "CrashDmp".
CrashUploader LogServiceUploader();

struct CrashReportInput {
    std::wstring logName;       // from the command line; only its file-name part is used
    std::wstring logDirectory;  // ends with '/'
    std::wstring stamp17;       // local time of packing
};

// Packs the log file and its dump (else every "*.dmp" of the log directory) into the archive,
// uploads it and deletes it after a successful upload. 0 once packed; -1 when the archive could
// not be made (nothing is uploaded then).
int PackCrashReport(const CrashReportInput& input, const CrashUploader& upload);

}  // namespace app
