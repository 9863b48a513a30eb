// A long-lived worker that sleeps until it is handed a task, runs the task's work once and goes
// back to sleep.
//
// Hand-over: the owner writes the status (1 run, 0 exit) and then sets the wake event; the
// worker writes 2 (idle) after its work and then sets the owner's done event, so the owner can
// wait for completions instead of polling. All status accesses are sequentially consistent.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Thread.h"

struct CTask;

enum ThreadStatus : std::int32_t {
    ThreadExit = 0,
    ThreadRun = 1,
    ThreadIdle = 2,
};

class CThread {
public:
    // `parameter` is opaque to the worker (download workers get the shared file mutex);
    // `done` (may be null) is set after every finished task.
    explicit CThread(void* parameter, platform::Event* done = nullptr);
    virtual ~CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    virtual int taskBusiness() { return 1; }

    // Starts the thread; 1 on success, 0 when it could not be created.
    int init();
    int doTask(CTask* task);
    void signalRun();
    void signalExit();
    static unsigned ThreadFunc(CThread* self);

    std::int32_t status() const { return m_status.load(); }
    const platform::ThreadHandle& handle() const { return m_handle; }

protected:
    CTask* task() const { return m_task; }
    void* parameter() const { return m_parameter; }

private:
    platform::ThreadHandle m_handle;
    std::atomic<std::int32_t> m_status{ThreadIdle};
    CTask* m_task = nullptr;
    void* m_parameter;
    platform::Event m_wake{false, false};
    platform::Event* m_done;
};
