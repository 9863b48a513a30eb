// The ranges of one download and the two queues the driver works from: ready (waiting for a
// worker, first in first out) and dispatched (handed out, finished or failed since).
//
// Threading: used by the driver thread only (and by the caller before the driver starts).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "download/CTask.h"

class CTaskManager {
public:
    CTaskManager() = default;
    virtual ~CTaskManager() = default;
    CTaskManager(const CTaskManager&) = delete;
    CTaskManager& operator=(const CTaskManager&) = delete;

    // Takes ownership; finished tasks go to the dispatched list, others to the ready list.
    int addTask(std::unique_ptr<CTask> task);
    // The first ready task, marked as handed to a worker; nullptr when none is ready.
    virtual CTask* getTask();
    virtual int addReadyTask(CTask* task);
    virtual int addDispatchedTask(CTask* task);

    bool hasReadyTasks() const;
    bool hasUnfinishedTasks() const;
    // Failed (and never started) dispatched tasks go back to the end of the ready queue.
    void requeueFailedTasks();
    bool allTasksDone() const;
    void clearTasks();

    const std::vector<std::unique_ptr<CTask>>& allTasks() const { return m_allTasks; }
    const std::vector<CTask*>& dispatchedTasks() const { return m_dispatched; }

    std::int32_t TasksCount = 0;

private:
    std::vector<std::unique_ptr<CTask>> m_allTasks;
    std::vector<CTask*> m_dispatched;
    std::deque<CTask*> m_ready;
};
