#include "download/CDownLoadImpl.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "config/CConfigure.h"
#include "download/CDownloader.h"
#include "download/DownloadEvents.h"
#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/FsPath.h"
#include "platform/SystemInfo.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

struct SpeedRange {
    std::int64_t slowestRate = 1000000000000000000LL;
    std::string slowestText = "min";
    std::int64_t fastestRate = 0;
    std::string fastestText = "max";

    void note(const DownloadProgress& p) {
        if (p.IntervalRate < slowestRate) {
            slowestRate = p.IntervalRate;
            slowestText = p.AverageSpeedText;
        }
        if (p.IntervalRate > fastestRate) {
            fastestRate = p.IntervalRate;
            fastestText = p.AverageSpeedText;
        }
    }
};

// Waits for the driver to end, then takes the CDN summary and resets it. A driver that does not
// end in time is abandoned, and the downloader with it: deliberately never freed.
bool EndDriver(std::unique_ptr<CDownloader>& downloader, std::uint32_t waitMs,
               std::string& cdnInfo) {
    if (!downloader->waitDriver(waitMs)) {
        CVD_LOG << " download driver did not stop within " << waitMs << " ms, abandoned";
        downloader->abandon();
        static_cast<void>(downloader.release());
        cdnInfo = "TotalIsEmpty";  // the ranges are still in use and cannot be read safely
        return false;
    }
    cdnInfo = downloader->getCdnSummary();
    downloader->resetDownloader();
    return true;
}

// Ends a run that the facade gave up on: stop, wait for the driver, summary, reset.
int StopWith(std::unique_ptr<CDownloader>& downloader, std::uint32_t waitMs, std::string& cdnInfo,
             int result) {
    downloader->stopDownload();
    EndDriver(downloader, waitMs, cdnInfo);
    return result;
}

std::int64_t FileSize64(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(platform::Utf8Path(path), error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

// Asks whether the network is gone at most once per interval: on this platform the answer costs a
// netlink round trip, and the monitor passes every few milliseconds.
class NetworkWatch {
public:
    explicit NetworkWatch(const CDownLoadImpl::NetworkCheck& alive) : alive_(alive) {}

    bool lost() {
        if (!alive_) return false;
        const std::uint32_t now = platform::TickCount();
        if (checked_ && now - lastCheck_ < CDownLoadImpl::kNetworkCheckMs) return false;
        checked_ = true;
        lastCheck_ = now;
        return !alive_();
    }

private:
    const CDownLoadImpl::NetworkCheck& alive_;
    bool checked_ = false;
    std::uint32_t lastCheck_ = 0;
};

// Watches one running download from the caller's thread and decides its result.
class DownloadRun {
public:
    DownloadRun(std::unique_ptr<CDownloader>& downloader, std::uint32_t driverWaitMs,
                IDownloadProgress* owner, const CDownLoadImpl::NetworkCheck& networkAlive,
                bool checkMinSize, std::string packagePath)
        : downloader_(downloader),
          d_(*downloader),
          driverWaitMs_(driverWaitMs),
          owner_(owner),
          network_(networkAlive),
          checkMinSize_(checkMinSize),
          packagePath_(std::move(packagePath)) {}

    int monitor(std::string& cdnInfo) {
        d_.startDownload();
        lastTick_ = platform::TickCount();
        for (;;) {
            int result = 0;
            if (pass(cdnInfo, result)) return result;
            platform::SleepMs(CDownLoadImpl::kMonitorPauseMs);
        }
    }

private:
    // Signed, because the record published before the start is older than the start itself.
    std::int64_t StalledFor(std::uint32_t tick) const {
        return static_cast<std::int32_t>(tick - lastTick_);
    }

    // True when the run is over, with its result.
    bool pass(std::string& cdnInfo, int& result) {
        if (CConfigure::Instance().GetIsExiting()) {
            CVD_LOG << "force exit all thread";
            result = stopWith(cdnInfo, ForcedExit);
            return true;
        }
        if (network_.lost()) {
            CVD_LOG << "network is  no  alive";
            result = stopWith(cdnInfo, NetworkDown);
            return true;
        }
        const DownloadProgress p = d_.getProgress();
        if (p.Downloaded > last_) {
            speeds_.note(p);
            last_ = p.Downloaded;
            lastTick_ = p.Tick;
        } else if (p.Downloaded == last_ && StalledFor(p.Tick) >= CDownLoadImpl::kNoProgressMs) {
            CVD_LOG << "too long no speed:";
            result = stopWith(cdnInfo, NoProgressTimeout);
            return true;
        }
        if (p.RequestFailures > 3 * p.Ranges) {
            CVD_LOG << " ---cdn fail:" << p.RequestFailures << " > 3 * " << p.Ranges;
            result = stopWith(cdnInfo, TooManyRequestFailures);
            return true;
        }
        if (d_.state() != DownloaderStopping) {
            if (owner_) owner_->onDownloadProgress(p.Downloaded, d_.contentLength(), 0);
            return false;
        }
        result = finished(cdnInfo);
        return true;
    }

    int stopWith(std::string& cdnInfo, int result) {
        return StopWith(downloader_, driverWaitMs_, cdnInfo, result);
    }

    int finished(std::string& cdnInfo) {
        const std::int64_t total = d_.contentLength();
        const bool worked = d_.worked();
        if (!EndDriver(downloader_, driverWaitMs_, cdnInfo)) return DownloadIncomplete;
        const DownloadProgress p = d_.getProgress();
        if (p.Downloaded < total) return DownloadIncomplete;
        if (checkMinSize_ && FileSize64(packagePath_) < CDownLoadImpl::kMinFileSize)
            return FileTooSmall;
        if (worked) {
            CVD_LOG << " Average speed: " << p.AverageSpeedText;
            DownloadEvents().ga4("DownloadSpeed", "CDN", p.AverageSpeedText);
            CVD_LOG << " Download speed range " << speeds_.slowestText << " - "
                    << speeds_.fastestText;
        } else if (owner_) {
            owner_->onDownloadProgress(total, total, 0);
        }
        return Success;
    }

    std::unique_ptr<CDownloader>& downloader_;
    CDownloader& d_;  // valid while downloader_ holds it
    std::uint32_t driverWaitMs_;
    IDownloadProgress* owner_;
    NetworkWatch network_;
    bool checkMinSize_;
    std::string packagePath_;
    std::int64_t last_ = 0;
    std::uint32_t lastTick_ = 0;
    SpeedRange speeds_;
};

}  // namespace

CDownLoadImpl::CDownLoadImpl(IDownloadProgress* owner, NetworkCheck networkAlive,
                             std::uint32_t driverWaitMs)
    : m_owner(owner), m_networkAlive(std::move(networkAlive)), m_driverWaitMs(driverWaitMs) {}

int CDownLoadImpl::DownloadThreadCount(unsigned processors) {
    return std::max(4, static_cast<int>(processors * 8 / 5));
}

int CDownLoadImpl::SuperDownloadFile(const std::wstring& url, const std::wstring& localPath,
                                     std::string& cdnInfo, bool report, bool checkMinSize) {
    const std::string url8 = FuntionImpl::Utf16ToUtf8(url);
    const std::string path8 = FuntionImpl::Utf16ToUtf8(localPath);
    const std::string taskFile8 = path8 + ".xml";
    const int threads = DownloadThreadCount(platform::ProcessorCount());
    CVD_LOG << "CPU core num is " << threads;
    CConfigure::Instance().AddFileToDelete(FuntionImpl::Utf8ToUtf16(path8));
    CConfigure::Instance().AddFileToDelete(FuntionImpl::Utf8ToUtf16(taskFile8));

    auto downloader = std::make_unique<CDownloader>(url8, path8, taskFile8, threads);
    const EnumErrorCode init = downloader->downloadInit(report ? "Download" : "");
    if (init != Success) return StopWith(downloader, m_driverWaitMs, cdnInfo, init);
    DownloadRun run(downloader, m_driverWaitMs, m_owner, m_networkAlive, checkMinSize, path8);
    return run.monitor(cdnInfo);
}

std::string CDownLoadImpl::FileMd5(const std::string& path) {
    platform::Digest md5(platform::DigestKind::Md5);
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    std::vector<char> block(1048576);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        if (in.gcount() > 0)
            md5.Update(std::string_view(block.data(), static_cast<std::size_t>(in.gcount())));
    }
    const auto digest = md5.Finish();
    return digest ? platform::LowerHex(*digest) : std::string();
}

int CDownLoadImpl::checkMD5(const std::wstring& filePath, const std::wstring& md5,
                            const std::wstring& md5Extra, const std::wstring& /*version*/) {
    const std::string path8 = FuntionImpl::Utf16ToUtf8(filePath);
    const std::wstring digest = FuntionImpl::Utf8ToUtf16(FileMd5(path8));
    const int result = (digest == md5 || digest == md5Extra) ? 1 : 0;
    CVD_LOG << " MD5 of file " << path8 << " is " << FuntionImpl::Utf16ToUtf8(digest) << ", result "
            << result;
    return result;
}
