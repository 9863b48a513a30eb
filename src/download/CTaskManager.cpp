#include "download/CTaskManager.h"

#include <algorithm>

int CTaskManager::addTask(std::unique_ptr<CTask> task) {
    if (!task) return 0;
    CTask* raw = task.get();
    m_allTasks.push_back(std::move(task));
    return raw->TaskStatus.load() == TaskFinished ? addDispatchedTask(raw) : addReadyTask(raw);
}

CTask* CTaskManager::getTask() {
    if (m_ready.empty()) return nullptr;
    CTask* task = m_ready.front();
    m_ready.pop_front();
    task->TaskStatus = TaskAtWorker;
    m_dispatched.push_back(task);
    return task;
}

int CTaskManager::addReadyTask(CTask* task) {
    if (!task) return 0;
    m_ready.push_back(task);
    return 1;
}

int CTaskManager::addDispatchedTask(CTask* task) {
    if (!task) return 0;
    m_dispatched.push_back(task);
    return 1;
}

bool CTaskManager::hasReadyTasks() const { return !m_ready.empty(); }

bool CTaskManager::hasUnfinishedTasks() const {
    if (!m_ready.empty()) return true;
    return std::any_of(m_dispatched.begin(), m_dispatched.end(),
                       [](const CTask* t) { return t->TaskStatus.load() != TaskFinished; });
}

void CTaskManager::requeueFailedTasks() {
    std::vector<CTask*> keep;
    keep.reserve(m_dispatched.size());
    for (CTask* task : m_dispatched) {
        const std::int32_t status = task->TaskStatus.load();
        if (status == TaskFinished || status == TaskAtWorker)
            keep.push_back(task);
        else
            m_ready.push_back(task);
    }
    m_dispatched.swap(keep);
}

bool CTaskManager::allTasksDone() const {
    return std::all_of(m_allTasks.begin(), m_allTasks.end(), [](const auto& t) {
        return t->TaskStatus.load() == TaskFinished;
    });
}

void CTaskManager::clearTasks() {
    m_ready.clear();
    m_dispatched.clear();
    m_allTasks.clear();
    TasksCount = 0;
}
