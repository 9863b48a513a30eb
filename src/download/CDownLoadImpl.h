// The one entry point for fetching a file: runs the multi-threaded engine, watches it from the
// calling thread, reports progress to an owner and decides success or failure (no network,
// 30 s without progress, too many failed requests, short or too small file, forced exit).
// checkMD5 verifies a finished package against the configured digests.
//
// Threading: SuperDownloadFile blocks its caller; the receiver is called on that thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "download/EnumErrorCode.h"
#include "platform/Network.h"

class IDownloadProgress {
public:
    virtual ~IDownloadProgress() = default;
    virtual void onDownloadProgress(std::int64_t downloaded, std::int64_t total,
                                    std::int32_t reserved) = 0;
};

class CDownLoadImpl {
public:
    // Whether the machine has a network connection; an empty check counts as connected.
    using NetworkCheck = std::function<bool()>;

    // `driverWaitMs` bounds the wait for a stopping driver; see SuperDownloadFile.
    explicit CDownLoadImpl(
        IDownloadProgress* owner = nullptr,
        NetworkCheck networkAlive = [] { return platform::IsNetworkAlive(); },
        std::uint32_t driverWaitMs = kDriverWaitMs);

    // A driver that has not ended within the driver wait after its stop is abandoned: it and
    // everything its threads use (ranges, workers, the open package file) stay allocated for the
    // rest of the process, since freeing them under running threads would corrupt memory and
    // waiting for ever would hang the caller; it never writes the task file again.
    int SuperDownloadFile(const std::wstring& url, const std::wstring& localPath,
                          std::string& cdnInfo, bool report, bool checkMinSize);
    static int checkMD5(const std::wstring& filePath, const std::wstring& md5,
                        const std::wstring& md5Extra, const std::wstring& version);

    // Logical processors x 8 / 5, at least 4.
    static int DownloadThreadCount(unsigned processors);
    // Lower-case hex MD5 of a file; the digest of no data when it cannot be opened.
    static std::string FileMd5(const std::string& path);

    static constexpr std::uint32_t kNoProgressMs = 30000;
    static constexpr std::uint32_t kDriverWaitMs = 180000;
    static constexpr std::uint32_t kMonitorPauseMs = 10;
    // A lost connection is noticed within this time.
    static constexpr std::uint32_t kNetworkCheckMs = 1000;
    static constexpr std::int64_t kMinFileSize = 1048576;

private:
    IDownloadProgress* m_owner;
    NetworkCheck m_networkAlive;
    std::uint32_t m_driverWaitMs;
};
