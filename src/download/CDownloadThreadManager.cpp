#include "download/CDownloadThreadManager.h"

#include "download/CDownloadThread.h"
#include "download/DownloadEvents.h"
#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/SystemError.h"
#include "sys/Log.h"
#include "sys/ProcessFinder.h"
#include "sys/TextConvert.h"

CDownloadThreadManager::CDownloadThreadManager(std::string packagePath)
    : m_packagePath(std::move(packagePath)) {}

CDownloadThreadManager::~CDownloadThreadManager() {
    if (m_file) m_file->close();
}

bool CDownloadThreadManager::packageFileExists() const {
    return platform::OpenFile(FuntionImpl::Utf8ToUtf16(m_packagePath), "rb") != nullptr;
}

bool CDownloadThreadManager::openPackageFile(int& error) {
    const auto mode = packageFileExists()
                          ? std::ios::in | std::ios::out | std::ios::binary
                          : std::ios::in | std::ios::out | std::ios::trunc | std::ios::binary;
    platform::ClearLastSystemError();
    m_file = std::make_unique<std::fstream>(platform::Utf8Path(m_packagePath), mode);
    error = platform::LastSystemError();
    if (m_file->is_open()) return true;
    m_file.reset();
    return false;
}

// A package file in use (an earlier copy of the setup still running from it: ETXTBSY on Linux,
// a sharing violation on Windows) is freed by ending the processes that run from it (and the
// temporary copy a setup runs from), then opened once more.
int CDownloadThreadManager::createThreads(int count) {
    int error = 0;
    bool opened = openPackageFile(error);
    if (!opened) {
        CVD_LOG << "local file is NULL error code = " << error;
        if (error == platform::kFileInUseError) {
            FuntionImpl::FindProcessByFullPath(FuntionImpl::Utf8ToUtf16(m_packagePath), true, true);
            opened = openPackageFile(error);
        }
    }
    if (!opened) {
        CVD_LOG << "after kill local file is NULL error code = " << error;
        DownloadEvents().ga4("Other", "OpenFileErrCode", std::to_string(error));
        DownloadEvents().funnel("Download", "OpenFileErrCode", "OpenFileErrCodeType",
                                std::to_string(error));
        return -1;
    }
    CVD_LOG << " Create threads and init: " << count;
    m_stopTransfers = false;
    int started = 0;
    for (int i = 0; i < count; ++i) {
        auto worker = std::make_unique<CDownloadThread>(&fileMutex(), &m_processLock, m_file.get(),
                                                        &taskDoneEvent(), &m_stopTransfers);
        if (addWorker(std::move(worker))) ++started;
    }
    return started;
}

int CDownloadThreadManager::releaseThreads() {
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    return CThreadManager::releaseThreads();
}

void CDownloadThreadManager::withPackageFileFlushed(const std::function<void()>& step) {
    std::lock_guard<std::mutex> local(m_processLock);
    fileMutex().Lock(platform::kInfinite);
    if (m_file) m_file->flush();
    step();
    fileMutex().Unlock();
}
