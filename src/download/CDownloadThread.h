// A download worker: fetches the range it is handed into the shared package file and marks the
// range finished, or failed (to restart from its first byte on the next attempt). A range cut
// short by a stop is handed back where it stopped.
#pragma once

#include <atomic>
#include <fstream>
#include <mutex>

#include "download/CThread.h"
#include "net/CLibcurlTool.h"
#include "platform/NamedMutex.h"

class CDownloadThread : public CThread {
public:
    // `fileMutex` and `processLock` are the pool's; see SegmentTarget for their order. `stop`,
    // also the pool's, ends a running transfer early.
    CDownloadThread(platform::NamedMutex* fileMutex, std::mutex* processLock, std::fstream* file,
                    platform::Event* done, const std::atomic<bool>* stop);

    int taskBusiness() override;

private:
    std::fstream* m_file;
    std::mutex* m_processLock;
    const std::atomic<bool>* m_stop;
    CLibcurlTool m_curl;
};
