// The ranges of one package: the size probe of the remote file, the split into 4 MiB ranges,
// and the task file that lets an interrupted download resume (trusted only when the remote file
// still has the recorded size and every saved field is consistent with it).
//
// Threading: used by the caller of loadDownloadTask and then by the driver thread only; the
// tasks' atomics are shared with the workers.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "download/CTaskManager.h"
#include "download/EnumErrorCode.h"
#include "download/ProbeAnswer.h"
#include "download/TaskFile.h"

class CLibcurlTool;

class CDownloadTaskManager : public CTaskManager {
public:
    // Remote sizes above this are refused before any range is created, as are sizes larger than
    // the volume that would hold the package: 64 GiB is far above any real package, keeps the
    // range count at 16384 at most and every offset sum far from overflowing.
    static constexpr std::int64_t kMaxContentLength = std::int64_t{64} << 30;

    CDownloadTaskManager(std::string url, std::string packagePath, std::string taskFilePath);

    // Remote size (0 when unknown); cached after the first answer that gave one or gave up.
    std::int64_t getContentLength(CURLcode& error, std::string& cdn);
    EnumErrorCode generateDownloadTask(const std::string& tag);
    EnumErrorCode loadDownloadTask(const std::string& tag);

    int saveTaskFile();
    int saveTaskFile(const TaskFileContent& snapshot);
    // The task file content of the current fields (atomics read once each).
    TaskFileContent snapshotTasks() const;
    bool readTaskFile();
    // 1 consistent, 2 remote size differs (DL025), 3 ranges or fields inconsistent (DL026).
    int checkTaskFile();
    bool taskFileExists() const;
    int deleteTaskFiles();

    std::int64_t sumDownloaded() const;
    std::int32_t sumRequestTimes() const;
    // Saturates instead of overflowing.
    std::int64_t addDownloadTime(std::int32_t milliseconds);

    // A range request of this download was answered with the whole file.
    bool rangesIgnored() const;
    // Replaces the ranges by one whole-file range (the bytes counted so far are given up).
    void switchToSingleStream();
    // A range answer showed another version of the file than the ranges were made for.
    bool fileChanged() const;
    // Discards the partial download (DL025) and makes fresh ranges from a new probe; false, with
    // no range left to fetch, when the probe fails.
    bool restartChangedFile();

    // Cuts the package back to the remote size. Done again once the package is open: a file a
    // running program held could not be cut when the ranges were made.
    void cutPackageToContentLength() const {
        if (ContentLength > 0) cutPackageTo(ContentLength);
    }

    const std::string& url() const { return m_url; }
    std::int64_t ContentLength = 0;
    std::int64_t DownloadTime = 0;
    // One whole-file range for a server without ranges.
    bool SingleStream = false;
    // The version of the file the ranges belong to (task file elements ETag, LastModified).
    ProbeAnswer::Validators Version;

private:
    // Up to five probes; the size and CDN of the first that gave a size.
    EnumErrorCode probeRemoteSize(const std::string& tag, std::int64_t& size, std::string& cdn);
    // The ranges of a file of `size` bytes, refused when no disk could hold it.
    EnumErrorCode createTasks(std::int64_t size, const std::string& cdn, bool singleStream,
                              const std::string& url);
    // Ranges as the probe showed the server: 4 MiB ranges, or one whole-file range.
    EnumErrorCode createFreshTasks(std::int64_t size, const std::string& cdn);
    bool sizeAcceptable(std::int64_t size) const;
    void cutPackageTo(std::int64_t size) const;
    bool sizeKnown() const { return m_probeSize > 0; }
    std::string probeHeaders(CLibcurlTool& tool, CURLcode& error);
    std::int64_t finishProbe(std::int64_t size, const std::string& cdn);
    void reportCdn(const std::string& headers, std::string& cdn);
    void sendTaskFileError(const char* code);
    std::string layoutProblem() const;

    std::string m_taskFilePath;
    std::string m_url;
    std::string m_packagePath;
    std::int64_t m_probeSize = -1;
    bool m_probeRanges = true;
    ProbeAnswer::Validators m_probeVersion;
    std::string m_probeCdn;
};
