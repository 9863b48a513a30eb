// A fixed set of workers: a free list (used as a stack) and a busy list. Only the driver thread
// calls these operations, so the lists are not locked.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "download/CThread.h"
#include "platform/NamedMutex.h"

class CThreadManager {
public:
    CThreadManager();
    virtual ~CThreadManager();
    CThreadManager(const CThreadManager&) = delete;
    CThreadManager& operator=(const CThreadManager&) = delete;

    // Starts `count` workers; the number started.
    virtual int createThreads(int count);

    CThread* getOneFreeThreads();
    int giveTaskToAThreadTodo(CTask* task);
    // Idle workers of the busy list go back to the end of the free list.
    void recycleThreads();
    bool hasBusyThreads() const { return !m_busy.empty(); }
    bool hasFreeThreads() const { return !m_free.empty(); }
    // Ends every idle worker and waits for each thread, at most 30 s each.
    int stopThreads();
    int releaseThreads();

    // Waits until some worker finished a task since the last wait, at most `timeoutMs`.
    bool waitForTaskDone(std::uint32_t timeoutMs) { return m_taskDone.Wait(timeoutMs); }

protected:
    // Takes ownership and lists the worker as free when its thread started.
    bool addWorker(std::unique_ptr<CThread> worker);
    platform::NamedMutex& fileMutex() { return m_fileMutex; }
    platform::Event& taskDoneEvent() { return m_taskDone; }

private:
    std::vector<CThread*> m_free;
    std::vector<CThread*> m_busy;
    std::vector<platform::ThreadHandle> m_handles;
    std::vector<std::unique_ptr<CThread>> m_workers;
    platform::NamedMutex m_fileMutex{L"mutex_for_downloadthread"};
    platform::Event m_taskDone{false, false};
};
