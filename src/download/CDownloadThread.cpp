#include "download/CDownloadThread.h"

#include "download/CTask.h"
#include "platform/NamedMutex.h"
#include "sys/Log.h"

CDownloadThread::CDownloadThread(platform::NamedMutex* fileMutex, std::mutex* processLock,
                                 std::fstream* file, platform::Event* done,
                                 const std::atomic<bool>* stop)
    : CThread(fileMutex, done), m_file(file), m_processLock(processLock), m_stop(stop) {
    if (!m_curl.hasHandle()) CVD_LOG << "  m_pCurl init error !!!";
}

int CDownloadThread::taskBusiness() {
    CTask& t = *task();
    if (t.DownloadedPos.load() == t.EndPos) {
        t.TaskStatus = TaskFinished;
        return 1;
    }
    SegmentTarget target;
    target.taskId = t.TaskId.load();
    target.endPos = t.EndPos;
    target.downloadedPos = &t.DownloadedPos;
    target.contentLength = t.ContentLength;
    target.probeCdn = &t.ProbeCdn;
    target.segmentCdn = &t.SegmentCdn;
    target.file = m_file;
    target.fileMutex = static_cast<platform::NamedMutex*>(parameter());
    target.processLock = m_processLock;
    target.stop = m_stop;
    target.wholeFile = t.WholeFile;
    target.rangeIgnored = &t.RangeIgnored;
    target.ifRange = t.IfRange;
    target.fileChanged = &t.FileChanged;
    const CURLcode rc = m_curl.httpDownloadContent(t.RemotePath, t.DownloadedPos.load(), t.EndPos,
                                                   t.ContentLength, target);
    CVD_LOG << "ret code:" << rc << ", taskid=" << t.TaskId.load()
            << ", taskdownloaded=" << t.DownloadedPos.load() << ", taskendpos=" << t.EndPos;
    if (rc == CURLE_OK && t.DownloadedPos.load() == t.EndPos) {
        t.TaskStatus = TaskFinished;
    } else if (m_stop && m_stop->load()) {
        // Cut short by the stop, not failed by the server: every counted byte is in the file, so
        // the range resumes where it stopped.
        t.TaskStatus = TaskFailed;
    } else if (t.WholeFile) {
        // Its counted bytes are in the file too; the next answer either continues them (a range)
        // or starts the file over (a 200).
        ++t.RequestTimes;
        t.TaskStatus = TaskFailed;
    } else {
        t.DownloadedPos = t.StartPos;
        ++t.RequestTimes;
        t.TaskStatus = TaskFailed;
    }
    return 1;
}
