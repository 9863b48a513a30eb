#include "download/CThreadManager.h"

#include "download/CTask.h"
#include "sys/Log.h"

CThreadManager::CThreadManager() = default;

CThreadManager::~CThreadManager() {
    // Idle workers are ended so none outlives the events it signals; a worker still running
    // its task is abandoned, and its object must outlive it.
    recycleThreads();
    for (CThread* worker : m_free) worker->signalExit();
    for (CThread* worker : m_free) worker->handle()->Wait(30000);
    for (auto& worker : m_workers)
        if (worker->handle() && !worker->handle()->Finished()) worker.release();
}

int CThreadManager::createThreads(int count) {
    for (int i = 0; i < count; ++i)
        addWorker(std::make_unique<CThread>(&m_fileMutex, &m_taskDone));
    return static_cast<int>(m_handles.size());
}

bool CThreadManager::addWorker(std::unique_ptr<CThread> worker) {
    if (!worker->init()) return false;
    m_free.push_back(worker.get());
    m_handles.push_back(worker->handle());
    m_workers.push_back(std::move(worker));
    return true;
}

CThread* CThreadManager::getOneFreeThreads() {
    if (m_free.empty()) {
        CVD_LOG << "is no free threads";
        return nullptr;
    }
    CThread* worker = m_free.back();
    m_free.pop_back();
    return worker;
}

int CThreadManager::giveTaskToAThreadTodo(CTask* task) {
    CThread* worker = getOneFreeThreads();
    if (!worker) {
        CVD_LOG << "get free thread is null" << (task ? task->TaskId.load() : 0);
        return 0;
    }
    worker->doTask(task);
    m_busy.push_back(worker);
    return 1;
}

void CThreadManager::recycleThreads() {
    std::vector<CThread*> stillBusy;
    for (CThread* worker : m_busy) {
        if (worker->status() == ThreadIdle)
            m_free.push_back(worker);
        else
            stillBusy.push_back(worker);
    }
    m_busy.swap(stillBusy);
}

int CThreadManager::stopThreads() {
    for (CThread* worker : m_free) worker->signalExit();
    CVD_LOG << "start wait threads eixt";
    for (auto& handle : m_handles) handle->Wait(30000);
    CVD_LOG << "end wait threads eixt";
    return 1;
}

int CThreadManager::releaseThreads() {
    m_handles.clear();
    m_free.clear();
    m_busy.clear();
    std::vector<std::unique_ptr<CThread>> workers;
    workers.swap(m_workers);
    for (auto& worker : workers)
        if (worker->handle() && !worker->handle()->Finished()) worker.release();
    return 1;
}
