// The download pool: opens the package file that all its workers write into (an existing file
// keeps its bytes, the basis of resuming) and starts the download workers.
#pragma once

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "download/CThreadManager.h"

class CDownloadThreadManager : public CThreadManager {
public:
    explicit CDownloadThreadManager(std::string packagePath);
    ~CDownloadThreadManager() override;

    // The number of started workers, or -1 when the package file cannot be opened.
    int createThreads(int count) override;
    bool packageFileExists() const;
    // Closes the package file, then forgets the workers.
    int releaseThreads();

    // Ends the transfers running now; the workers hand their ranges back unfinished.
    void stopTransfers() { m_stopTransfers = true; }

    // Runs `step` under the file mutex right after flushing the package stream, so positions
    // read inside it never claim bytes that are still only in the stream's buffer.
    void withPackageFileFlushed(const std::function<void()>& step);

private:
    bool openPackageFile(int& error);

    std::unique_ptr<std::fstream> m_file;
    std::mutex m_processLock;
    std::atomic<bool> m_stopTransfers{false};
    std::string m_packagePath;
};
