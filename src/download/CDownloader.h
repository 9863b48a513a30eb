// Runs one package download: the ranges and task file, the worker pool, and a driver thread
// that hands ready ranges to free workers, requeues failed ones, publishes progress, saves the
// task file and stops the workers when no range is left. It never decides that a download
// failed: time-outs, failure budgets and the verdict belong to the facade.
//
// Threading: the facade's thread calls every public operation; the state word is the only
// command channel to the driver; the progress record is exchanged under a lock. The task and
// pool lists are touched only by the driver thread while it runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "download/CDownloadTaskManager.h"
#include "download/CDownloadThreadManager.h"
#include "download/DownloadProgress.h"
#include "platform/Thread.h"

enum DownloaderState : std::int32_t {
    DownloaderStopping = 0,
    DownloaderRunning = 1,
    DownloaderIdle = 2,
};

class CDownloader {
public:
    CDownloader(std::string url, std::string packagePath, std::string taskFilePath,
                int threadCount);
    ~CDownloader();
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    EnumErrorCode downloadInit(const std::string& tag);
    void startDownload() { m_state = DownloaderRunning; }
    void stopDownload() { m_state = DownloaderStopping; }
    std::int32_t state() const { return m_state.load(); }
    // True when the driver thread ended within `timeoutMs`.
    bool waitDriver(std::uint32_t timeoutMs);
    DownloadProgress getProgress() const;
    std::string getCdnSummary() const;
    void resetDownloader();
    // For a driver that did not end when asked: from now on it never writes the task file, whose
    // next user is another run. Everything it and its workers use must then stay allocated.
    void abandon();

    bool worked() const { return m_worked.load(); }
    std::int64_t contentLength() const { return m_tasks.ContentLength; }
    std::int32_t tasksCount() const { return m_tasks.TasksCount; }

    // Besides every tenth of progress, the task file is saved at least this often while data
    // flows, which bounds what a killed run has to fetch again.
    static constexpr std::uint32_t kSaveIntervalMs = 1000;

private:
    int downloaderThread();
    void runPass(int& saves);
    void drainPass();
    void updateProgress();
    void saveWhileRunning(int& saves);
    void saveFlushed();

    std::string m_url;
    std::string m_packagePath;
    std::string m_taskFilePath;
    int m_threadCount;
    std::atomic<std::int32_t> m_state{DownloaderIdle};
    platform::ThreadHandle m_driver;
    std::atomic<bool> m_worked{false};
    CDownloadTaskManager m_tasks;
    CDownloadThreadManager m_threads;
    mutable std::mutex m_progressLock;
    DownloadProgress m_progress;
    std::int64_t m_savedDownloaded = -1;
    std::uint32_t m_savedTick = 0;
    std::mutex m_saveLock;
    bool m_abandoned = false;
    bool m_restartedForChange = false;
};
