#include "download/CDownloadTaskManager.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "config/CConfigure.h"
#include "download/DownloadEvents.h"
#include "download/ProbeAnswer.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace {

constexpr int kMaxProbes = 10;
constexpr int kProbeAttempts = 5;
constexpr std::size_t kProbeTextLimit = 2000;

bool ForSubProgram() { return CConfigure::Instance().GetCurrentSubProgram() != -1; }

std::string RedirectTarget(const std::string& current, const std::string& location) {
    if (location.find("://") != std::string::npos) return location;
    return ProbeAnswer::ResolveLocation(current, location);
}

void SendPackageSize(std::int64_t size) {
    const bool sub = ForSubProgram();
    DownloadEvents().funnelBucket("Download", sub ? "ChToolKitPackageSize" : "PackageSize",
                                  sub ? "ChToolKitPackageSizeType" : "PackageSizeType",
                                  size / 1048576, 100, "MB");
}

std::unique_ptr<CTask> TaskFromRecord(const TaskRecord& r) {
    auto task = std::make_unique<CTask>();
    task->StartPos = r.StartPos;
    task->EndPos = r.EndPos;
    task->DownloadedPos = r.DownloadedPos;
    task->RemotePath = r.RemotePath;
    task->LocalPath = r.LocalPath;
    task->TaskStatus = r.TaskStatus;
    task->TaskId = r.TaskId;
    task->RequestTimes = 0;
    return task;
}

}  // namespace

CDownloadTaskManager::CDownloadTaskManager(std::string url, std::string packagePath,
                                           std::string taskFilePath)
    : m_taskFilePath(std::move(taskFilePath)),
      m_url(std::move(url)),
      m_packagePath(std::move(packagePath)) {}

std::string CDownloadTaskManager::probeHeaders(CLibcurlTool& tool, CURLcode& error) {
    CVD_LOG << "befor getContentLength GetHeader";
    const std::uint32_t started = platform::TickCount();
    std::vector<char> buffer(kProbeTextLimit + 1, '\0');
    long code = 0;
    error = tool.httpGetHeader(m_url, buffer.data(), code);
    const std::uint32_t seconds = (platform::TickCount() - started) / 1000;
    DownloadEvents().funnelBucket("Download", "ObtainInstallationPackageTime",
                                  "InstallationPackageTimeInterval", seconds, 3, "s");
    CVD_LOG << "after getContentLength GetHeader";
    return std::string(buffer.data(), strnlen(buffer.data(), kProbeTextLimit));
}

void CDownloadTaskManager::reportCdn(const std::string& headers, std::string& cdn) {
    const auto result = ProbeAnswer::Cdn(headers);
    if (!result) return;
    cdn = result->cdn;
    CVD_LOG << " Cdn result: " << result->logText;
    DownloadEvents().ga4("Download", "3.CDNStatus", cdn);
    DownloadEvents().funnel("Download", "CDNStatus", "CDNType", cdn);
}

std::int64_t CDownloadTaskManager::finishProbe(std::int64_t size, const std::string& cdn) {
    SendPackageSize(size);
    m_probeSize = size;
    m_probeCdn = cdn;
    return size;
}

std::int64_t CDownloadTaskManager::getContentLength(CURLcode& error, std::string& cdn) {
    if (m_probeSize != -1) {
        cdn = m_probeCdn;
        return m_probeSize;
    }
    error = CURLE_OK;
    CLibcurlTool tool;
    for (int count = 1;; ++count) {
        const std::string headers = probeHeaders(tool, error);
        reportCdn(headers, cdn);
        if (const auto location = ProbeAnswer::Location(headers)) {
            m_url = RedirectTarget(m_url, *location);
            if (count < kMaxProbes) continue;
            if (error == CURLE_TOO_MANY_REDIRECTS)
                CVD_LOG << " Get Contentlength = " << 0 << ", error CURLE_TOO_MANY_REDIRECTS";
            else
                CVD_LOG << " Get Contentlength = " << 0 << ", error " << error;
            return finishProbe(0, cdn);
        }
        const auto size = ProbeAnswer::Size(headers);
        if (!size) return 0;
        CVD_LOG << " Get Contentlength = " << *size;
        return finishProbe(*size, cdn);
    }
}

EnumErrorCode CDownloadTaskManager::generateDownloadTask(const std::string& tag) {
    std::vector<std::string> records;
    std::int64_t size = 0;
    CURLcode error = CURLE_OK;
    std::string cdn;
    for (int attempt = 1; attempt <= kProbeAttempts; ++attempt) {
        size = getContentLength(error, cdn);
        records.push_back(size > 0 ? "Success" : "error:" + std::to_string(error));
        DownloadEvents().funnel("Download", "DownloadState", "DownloadStateType", records.back());
        if (size > 0) break;
        platform::SleepMs(100);
    }
    records.resize(kProbeAttempts, "Null");
    if (!tag.empty()) {
        const std::string label = records[0] + "/" + records[1] + "/" + records[2] + "/" +
                                  records[3] + "/" + records[4];
        DownloadEvents().ga4("Other", "Download", label);
        CVD_LOG << " GetSize: " << tag << ", " << label;
    }
    if (size <= 0) {
        CVD_LOG << " [Error]: Get ContentLength Fail, tried 5 times";
        return error == CURLE_TOO_MANY_REDIRECTS ? TooManyRedirects : ContentLengthFailed;
    }
    ContentLength = size;
    TasksCount = static_cast<std::int32_t>(std::max<std::int64_t>(size / kSegmentSize, 1));
    for (std::int32_t k = 1; k <= TasksCount; ++k) {
        auto task = std::make_unique<CTask>();
        task->StartPos = (k - 1) * kSegmentSize;
        task->DownloadedPos = task->StartPos;
        task->EndPos = k == TasksCount ? size : k * kSegmentSize - 1;
        task->RemotePath = m_url;
        task->LocalPath = m_packagePath;
        task->TaskId = k;
        task->ContentLength = size;
        task->ProbeCdn = cdn;
        addTask(std::move(task));
    }
    return Success;
}

EnumErrorCode CDownloadTaskManager::loadDownloadTask(const std::string& tag) {
    if (!taskFileExists()) return generateDownloadTask(tag);
    const bool allDone = readTaskFile();
    if (checkTaskFile() == 1) {
        CVD_LOG << " Load tasks from file success!";
        if (!allDone) DownloadEvents().funnel("Download", "ResumUpload", "", "");
        return Success;
    }
    if (m_probeSize <= 0 && ContentLength > 0) {
        // The probe failed: keep the partial package and its task file for the next attempt.
        clearTasks();
        ContentLength = 0;
        DownloadTime = 0;
        return generateDownloadTask(tag);
    }
    CVD_LOG << " taskinfo file error";
    deleteTaskFiles();
    return generateDownloadTask(tag);
}

TaskFileContent CDownloadTaskManager::snapshotTasks() const {
    TaskFileContent content;
    content.TasksCount = TasksCount;
    content.ContentLength = ContentLength;
    content.DownloadTime = DownloadTime;
    for (const auto& t : allTasks()) {
        content.Tasks.push_back(TaskRecord{t->StartPos, t->EndPos, t->DownloadedPos.load(),
                                           t->RemotePath, t->LocalPath, t->TaskStatus.load(),
                                           t->TaskId.load(), t->RequestTimes.load()});
    }
    return content;
}

int CDownloadTaskManager::saveTaskFile() { return saveTaskFile(snapshotTasks()); }

int CDownloadTaskManager::saveTaskFile(const TaskFileContent& snapshot) {
    if (!TaskFile::Save(m_taskFilePath, snapshot))
        CVD_LOG << " save task file fail: " << m_taskFilePath;
    return 1;
}

bool CDownloadTaskManager::readTaskFile() {
    if (!taskFileExists()) return true;
    const TaskFileContent content = TaskFile::Load(m_taskFilePath);
    TasksCount = content.TasksCount;
    ContentLength = content.ContentLength;
    DownloadTime = content.DownloadTime;
    for (const TaskRecord& record : content.Tasks) {
        auto task = TaskFromRecord(record);
        if (task->ContentLength == 0 && ContentLength != 0) task->ContentLength = ContentLength;
        addTask(std::move(task));
    }
    return allTasksDone();
}

void CDownloadTaskManager::sendTaskFileError(const char* code) {
    DownloadEvents().funnel("ErrorReporting", "Error",
                            ForSubProgram() ? "SubErrorType" : "MainErrorType", code);
}

int CDownloadTaskManager::checkTaskFile() {
    CURLcode error = CURLE_OK;
    std::string cdn;
    const std::int64_t remote = getContentLength(error, cdn);
    if (remote != ContentLength) {
        // An unknown remote size (probe failed) says nothing about the saved ranges.
        if (remote > 0) sendTaskFileError("DL025");
        return 2;
    }
    const std::string problem = layoutProblem();
    if (!problem.empty()) {
        CVD_LOG << " task file field rejected: " << problem;
        sendTaskFileError("DL026");
        return 3;
    }
    return 1;
}

// Every field of a saved range is distrusted: the ranges must tile 0..ContentLength in the
// generated layout, and each position must lie inside its own range. Names the first bad field.
std::string CDownloadTaskManager::layoutProblem() const {
    const auto& tasks = allTasks();
    if (tasks.empty()) return "no Task";
    if (TasksCount != static_cast<std::int32_t>(tasks.size()))
        return "TasksCount " + std::to_string(TasksCount);
    std::int64_t expected = 0;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const CTask& t = *tasks[i];
        const std::string at = "Task " + std::to_string(i + 1) + " ";
        const std::int64_t done = t.DownloadedPos.load();
        const std::int32_t status = t.TaskStatus.load();
        if (t.TaskId.load() != static_cast<std::int32_t>(i + 1))
            return at + "TaskId " + std::to_string(t.TaskId.load());
        if (t.StartPos != (t.TaskId.load() - 1) * kSegmentSize || t.StartPos != expected)
            return at + "StartPos " + std::to_string(t.StartPos);
        if (t.EndPos < t.StartPos || t.EndPos > ContentLength)
            return at + "EndPos " + std::to_string(t.EndPos);
        if (done < t.StartPos || done > t.EndPos)
            return at + "DownloadedPos " + std::to_string(done);
        if (status < TaskNew || status > TaskAtWorker || (status == TaskFinished && done != t.EndPos))
            return at + "TaskStatus " + std::to_string(status);
        expected = t.EndPos + 1;
    }
    if (expected != ContentLength + 1) return "last EndPos " + std::to_string(expected - 1);
    return {};
}

bool CDownloadTaskManager::taskFileExists() const {
    return std::ifstream(m_taskFilePath, std::ios::binary).is_open();
}

int CDownloadTaskManager::deleteTaskFiles() {
    clearTasks();
    std::error_code ignored;
    std::filesystem::remove(m_packagePath, ignored);
    std::filesystem::remove(m_taskFilePath, ignored);
    ContentLength = 0;
    DownloadTime = 0;
    return 1;
}

std::int64_t CDownloadTaskManager::sumDownloaded() const {
    std::int64_t sum = 0;
    for (const auto& t : allTasks()) sum += t->DownloadedPos.load() - t->StartPos + 1;
    return sum;
}

std::int32_t CDownloadTaskManager::sumRequestTimes() const {
    std::int32_t sum = 0;
    for (const auto& t : allTasks()) sum += t->RequestTimes.load();
    return sum;
}

std::int64_t CDownloadTaskManager::addDownloadTime(std::int32_t milliseconds) {
    DownloadTime += milliseconds;
    return DownloadTime;
}
