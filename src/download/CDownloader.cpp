#include "download/CDownloader.h"

#include <cmath>

#include "platform/Clock.h"
#include "sys/Log.h"
#include "sys/StringUtils.h"

namespace {

// How long one driver pass waits for a worker to finish before it looks again.
constexpr std::uint32_t kPassWaitMs = 50;

}  // namespace

double ProgressPercent(std::int64_t downloaded, std::int64_t total) {
    if (total <= 0) return 0.0;
    const double scaled = static_cast<double>(downloaded) / static_cast<double>(total) * 10000.0;
    return std::floor(scaled) / 100.0;
}

CDownloader::CDownloader(std::string url, std::string packagePath, std::string taskFilePath,
                         int threadCount)
    : m_url(url),
      m_packagePath(packagePath),
      m_taskFilePath(taskFilePath),
      m_threadCount(threadCount),
      m_tasks(std::move(url), std::move(packagePath), std::move(taskFilePath)),
      m_threads(m_packagePath) {
    m_progress.Tick = platform::TickCount();
    m_driver = platform::Thread::Start([this] { downloaderThread(); });
}

CDownloader::~CDownloader() {
    if (m_driver && !m_driver->Finished()) {
        stopDownload();
        m_driver->Wait(platform::kInfinite);
    }
}

EnumErrorCode CDownloader::downloadInit(const std::string& tag) {
    const EnumErrorCode loaded = m_tasks.loadDownloadTask(tag);
    if (loaded != Success) {
        CVD_LOG << " [Error]: error to loadDownloadTask";
        return loaded;
    }
    const int started = m_threads.createThreads(m_threadCount);
    if (started == -1) return OpenPackageFileFailed;
    m_tasks.cutPackageToContentLength();
    if (started == 0) {
        CVD_LOG << " [Error]:  createThreads is empty";
        return NoWorkerThread;
    }
    m_worked = false;
    return Success;
}

bool CDownloader::waitDriver(std::uint32_t timeoutMs) {
    return !m_driver || m_driver->Wait(timeoutMs);
}

DownloadProgress CDownloader::getProgress() const {
    std::lock_guard<std::mutex> lock(m_progressLock);
    return m_progress;
}

int CDownloader::downloaderThread() {
    int saves = 0;
    for (;;) {
        const std::int32_t state = m_state.load();
        if (state == DownloaderStopping) {
            if (!m_threads.hasBusyThreads()) break;
            drainPass();
        } else if (state == DownloaderIdle) {
            platform::SleepMs(1);
        } else if (state == DownloaderRunning) {
            runPass(saves);
        }
    }
    if (!m_tasks.allTasksDone()) {
        CVD_LOG << " Stopping Download," << "Mission Failed";
        saveFlushed();
    }
    m_threads.stopThreads();
    updateProgress();
    CVD_LOG << " Stopping Download," << "Update DownloadInfo";
    saveFlushed();
    CVD_LOG << " Download Stopped！";
    return 1;
}

// A stop asked from outside does not wait out transfers that may be stalled for their whole
// time limit; the driver's own stop finds no busy worker.
void CDownloader::drainPass() {
    m_threads.stopTransfers();
    m_threads.recycleThreads();
    m_tasks.requeueFailedTasks();
    updateProgress();
    if (m_threads.hasBusyThreads()) m_threads.waitForTaskDone(kPassWaitMs);
}

void CDownloader::runPass(int& saves) {
    saveWhileRunning(saves);
    if (!m_tasks.hasUnfinishedTasks() && !m_threads.hasBusyThreads()) {
        m_state = DownloaderStopping;
        platform::SleepMs(100);
        CVD_LOG << " Download will stop";
        return;
    }
    m_worked = true;
    m_threads.recycleThreads();
    m_tasks.requeueFailedTasks();
    updateProgress();
    // Starts over once; a server naming a new version in every answer is treated as one
    // without ranges.
    if (m_tasks.fileChanged() && !m_restartedForChange) {
        if (m_threads.hasBusyThreads()) {
            m_threads.waitForTaskDone(kPassWaitMs);
            return;
        }
        m_restartedForChange = true;
        m_tasks.restartChangedFile();
        return;
    }
    if (m_tasks.rangesIgnored() || m_tasks.fileChanged()) {
        // No range is handed out until the ranges at work came back; then one stream replaces
        // them all.
        if (m_threads.hasBusyThreads()) {
            m_threads.waitForTaskDone(kPassWaitMs);
            return;
        }
        m_tasks.switchToSingleStream();
    }
    while (m_tasks.hasReadyTasks() && m_threads.hasFreeThreads())
        m_threads.giveTaskToAThreadTodo(m_tasks.getTask());
    m_threads.waitForTaskDone(kPassWaitMs);
}

void CDownloader::saveWhileRunning(int& saves) {
    const DownloadProgress p = getProgress();
    const bool nextTenth = p.Percent / 10 > saves;
    if (nextTenth) ++saves;
    const bool due = platform::TickCount() - m_savedTick >= kSaveIntervalMs &&
                     p.Downloaded != m_savedDownloaded;
    if (nextTenth || due) saveFlushed();
}

// Without ranges there is nothing to resume, and an empty file would only be rejected later.
void CDownloader::saveFlushed() {
    if (m_tasks.allTasks().empty()) return;
    TaskFileContent snapshot;
    m_threads.withPackageFileFlushed([&] { snapshot = m_tasks.snapshotTasks(); });
    {
        std::lock_guard<std::mutex> lock(m_saveLock);
        if (m_abandoned) return;
        m_tasks.saveTaskFile(snapshot);
    }
    m_savedDownloaded = m_tasks.sumDownloaded();
    m_savedTick = platform::TickCount();
}

void CDownloader::updateProgress() {
    const std::uint32_t now = platform::TickCount();
    DownloadProgress next = getProgress();
    next.Downloaded = m_tasks.sumDownloaded();
    const std::uint32_t delta = now - next.Tick;
    if (delta == 0) return;
    next.DownloadTime = m_tasks.addDownloadTime(static_cast<std::int32_t>(delta));
    next.IntervalRate = next.Downloaded * 1000 / delta;
    next.Percent = ProgressPercent(next.Downloaded, m_tasks.ContentLength);
    const std::int64_t average =
        next.DownloadTime > 0 ? next.Downloaded * 1000 / next.DownloadTime : 0;
    next.AverageSpeedText = FuntionImpl::FormatByteSize(static_cast<std::uint64_t>(average)) + "/S";
    next.RequestFailures = m_tasks.sumRequestTimes();
    next.Ranges = m_tasks.TasksCount;
    next.Tick = now;
    std::lock_guard<std::mutex> lock(m_progressLock);
    m_progress = next;
}

std::string CDownloader::getCdnSummary() const {
    std::string probe;
    std::string list;
    for (const CTask* task : m_tasks.dispatchedTasks()) {
        probe = task->ProbeCdn;
        if (probe.empty()) break;
        if (!task->SegmentCdn.empty()) list += task->SegmentCdn + ";";
    }
    std::string result;
    if (!list.empty()) result = "T(" + probe + ");C(" + list + ")";
    if (probe.empty()) return "TotalIsEmpty";
    return result;
}

void CDownloader::abandon() {
    std::lock_guard<std::mutex> lock(m_saveLock);
    m_abandoned = true;
}

void CDownloader::resetDownloader() {
    m_tasks.clearTasks();
    m_threads.releaseThreads();
    m_state = DownloaderIdle;
    {
        std::lock_guard<std::mutex> lock(m_progressLock);
        m_progress.Tick = platform::TickCount();
    }
    if (m_driver && m_driver->Finished()) m_driver.reset();
}
