#include "download/CThread.h"

#include <sstream>
#include <thread>

#include "download/CTask.h"
#include "platform/Clock.h"
#include "platform/SystemError.h"
#include "sys/Log.h"

namespace {

std::string ThisThreadId() {
    std::ostringstream id;
    id << std::this_thread::get_id();
    return id.str();
}

}  // namespace

CThread::CThread(void* parameter, platform::Event* done) : m_parameter(parameter), m_done(done) {}

int CThread::init() {
    m_handle = platform::Thread::Start([this] { ThreadFunc(this); });
    if (!m_handle) {
        CVD_LOG << "  creat thread error code =  " << platform::LastSystemError();
        return 0;
    }
    return 1;
}

int CThread::doTask(CTask* task) {
    m_task = task;
    CVD_LOG << "do task task id = " << task->TaskId.load()
            << "   task  sattus = " << task->TaskStatus.load()
            << "  thread status = " << m_status.load();
    signalRun();
    return 1;
}

void CThread::signalRun() {
    m_status = ThreadRun;
    m_wake.Set();
}

void CThread::signalExit() {
    m_status = ThreadExit;
    m_wake.Set();
}

unsigned CThread::ThreadFunc(CThread* self) {
    for (;;) {
        const std::int32_t status = self->m_status.load();
        if (status == ThreadIdle) {
            CVD_LOG << "wait befor thread" << ThisThreadId();
            self->m_wake.Wait(platform::kInfinite);
            CVD_LOG << "wait after thread" << ThisThreadId();
        } else if (status == ThreadExit) {
            return 1;
        } else if (status == ThreadRun) {
            self->taskBusiness();
            self->m_status = ThreadIdle;
            if (self->m_done) self->m_done->Set();
        }
        platform::SleepMs(1);
    }
}
