#include "download/CDownloadTaskManager.h"

#include <filesystem>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "config/CConfigure.h"
#include "download/DownloadEvents.h"
#include "download/ProbeAnswer.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "platform/Disks.h"
#include "platform/Files.h"
#include "platform/FsPath.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

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

// Text from the task file that goes into a request header: no line breaks or controls.
std::string SafeHeaderValue(const std::string& text) {
    if (text.size() > 256) return {};
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    return text;
}

// Both name their version the same way and the names differ.
bool OtherVersion(const ProbeAnswer::Validators& saved, const ProbeAnswer::Validators& now) {
    if (!saved.etag.empty() && !now.etag.empty()) return saved.etag != now.etag;
    if (!saved.lastModified.empty() && !now.lastModified.empty())
        return saved.lastModified != now.lastModified;
    return false;
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
        m_probeRanges = ProbeAnswer::AcceptsRanges(headers);
        m_probeVersion = ProbeAnswer::ValidatorsOf(headers);
        CVD_LOG << " Get Contentlength = " << *size;
        return finishProbe(*size, cdn);
    }
}

EnumErrorCode CDownloadTaskManager::probeRemoteSize(const std::string& tag, std::int64_t& size,
                                                    std::string& cdn) {
    std::vector<std::string> records;
    size = 0;
    CURLcode error = CURLE_OK;
    for (int attempt = 1; attempt <= kProbeAttempts; ++attempt) {
        size = getContentLength(error, cdn);
        records.push_back(size > 0 ? "Success" : "error:" + std::to_string(error));
        DownloadEvents().funnel("Download", "DownloadState", "DownloadStateType", records.back());
        if (size > 0) break;
        platform::SleepMs(100);
    }
    records.resize(kProbeAttempts, "Null");
    if (!tag.empty()) {
        const std::string label =
            records[0] + "/" + records[1] + "/" + records[2] + "/" + records[3] + "/" + records[4];
        DownloadEvents().ga4("Other", "Download", label);
        CVD_LOG << " GetSize: " << tag << ", " << label;
    }
    if (size <= 0) {
        CVD_LOG << " [Error]: Get ContentLength Fail, tried 5 times";
        return error == CURLE_TOO_MANY_REDIRECTS ? TooManyRedirects : ContentLengthFailed;
    }
    return Success;
}

bool CDownloadTaskManager::sizeAcceptable(std::int64_t size) const {
    if (size <= 0 || size > kMaxContentLength) return false;
    const auto volume = platform::VolumeBytes(FuntionImpl::Utf8ToUtf16(m_packagePath));
    return !volume || static_cast<std::uint64_t>(size) <= *volume;
}

// Bytes past the remote size would stay in the package for ever and fail its digest.
void CDownloadTaskManager::cutPackageTo(std::int64_t size) const {
    std::error_code error;
    const auto existing = std::filesystem::file_size(platform::Utf8Path(m_packagePath), error);
    if (error || existing <= static_cast<std::uintmax_t>(size)) return;
    std::filesystem::resize_file(platform::Utf8Path(m_packagePath),
                                 static_cast<std::uintmax_t>(size), error);
    CVD_LOG << " package cut from " << existing << " to " << size
            << (error ? " failed: " + error.message() : std::string());
}

EnumErrorCode CDownloadTaskManager::createTasks(std::int64_t size, const std::string& cdn,
                                                bool singleStream, const std::string& url) {
    if (!sizeAcceptable(size)) {
        CVD_LOG << " [Error]: remote size " << size << " refused, above " << kMaxContentLength
                << " or the volume";
        return ContentLengthFailed;
    }
    ContentLength = size;
    SingleStream = singleStream;
    Version = m_probeVersion;
    TasksCount = singleStream
                     ? 1
                     : static_cast<std::int32_t>(std::max<std::int64_t>(size / kSegmentSize, 1));
    for (std::int32_t k = 1; k <= TasksCount; ++k) {
        auto task = std::make_unique<CTask>();
        task->StartPos = (k - 1) * kSegmentSize;
        task->DownloadedPos = task->StartPos;
        task->EndPos = k == TasksCount ? size : k * kSegmentSize - 1;
        task->RemotePath = url;
        task->LocalPath = m_packagePath;
        task->TaskId = k;
        task->ContentLength = size;
        task->ProbeCdn = cdn;
        task->WholeFile = singleStream;
        task->IfRange = Version.ifRange();
        addTask(std::move(task));
    }
    cutPackageTo(size);
    return Success;
}

bool CDownloadTaskManager::rangesIgnored() const {
    for (const auto& t : allTasks())
        if (t->RangeIgnored.load()) return true;
    return false;
}

void CDownloadTaskManager::switchToSingleStream() {
    CVD_LOG << " the server answered a range with the whole file: single-stream download";
    const std::string url = allTasks().empty() ? m_url : allTasks().front()->RemotePath;
    const std::string cdn = allTasks().empty() ? m_probeCdn : allTasks().front()->ProbeCdn;
    clearTasks();
    createTasks(ContentLength, cdn, true, url);
}

EnumErrorCode CDownloadTaskManager::generateDownloadTask(const std::string& tag) {
    std::int64_t size = 0;
    std::string cdn;
    const EnumErrorCode probed = probeRemoteSize(tag, size, cdn);
    if (probed != Success) return probed;
    return createFreshTasks(size, cdn);
}

EnumErrorCode CDownloadTaskManager::createFreshTasks(std::int64_t size, const std::string& cdn) {
    if (!m_probeRanges) CVD_LOG << " the server shows no range support: single-stream download";
    return createTasks(size, cdn, !m_probeRanges, m_url);
}

EnumErrorCode CDownloadTaskManager::loadDownloadTask(const std::string& tag) {
    if (!taskFileExists()) return generateDownloadTask(tag);
    const bool allDone = readTaskFile();
    int check = checkTaskFile();
    std::optional<std::pair<std::int64_t, std::string>> probed;
    if (check == 2 && !sizeKnown()) {
        // Without a size nothing says the partial download is stale: keep it, and judge it
        // again once a probe gives a size.
        std::int64_t size = 0;
        std::string cdn;
        const EnumErrorCode result = probeRemoteSize(tag, size, cdn);
        if (result != Success) {
            clearTasks();
            ContentLength = 0;
            DownloadTime = 0;
            return result;
        }
        probed.emplace(size, cdn);
        check = checkTaskFile();
    }
    if (check == 1) {
        CVD_LOG << " Load tasks from file success!";
        if (!allDone) DownloadEvents().funnel("Download", "ResumUpload", "", "");
        return Success;
    }
    CVD_LOG << " taskinfo file error";
    deleteTaskFiles();
    return probed ? createFreshTasks(probed->first, probed->second) : generateDownloadTask(tag);
}

TaskFileContent CDownloadTaskManager::snapshotTasks() const {
    TaskFileContent content;
    content.TasksCount = TasksCount;
    content.ContentLength = ContentLength;
    content.DownloadTime = DownloadTime;
    content.SingleStream = SingleStream;
    content.ETag = Version.etag;
    content.LastModified = Version.lastModified;
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
    DownloadTime = std::max<std::int64_t>(content.DownloadTime, 0);
    SingleStream = content.SingleStream;
    Version = {SafeHeaderValue(content.ETag), SafeHeaderValue(content.LastModified)};
    for (const TaskRecord& record : content.Tasks) {
        auto task = TaskFromRecord(record);
        task->WholeFile = SingleStream;
        task->IfRange = Version.ifRange();
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
    if (remote > 0 && remote != ContentLength) {
        sendTaskFileError("DL025");
        return 2;
    }
    if (remote > 0 && OtherVersion(Version, m_probeVersion)) {
        CVD_LOG << " task file of another version: " << Version.ifRange()
                << " != " << m_probeVersion.ifRange();
        sendTaskFileError("DL025");
        return 2;
    }
    const std::string problem = layoutProblem();
    if (!problem.empty()) {
        CVD_LOG << " task file field rejected: " << problem;
        sendTaskFileError("DL026");
        return 3;
    }
    // An unknown remote size (the probe failed) neither confirms nor condemns the saved ranges.
    return remote > 0 ? 1 : 2;
}

// Every field of a saved range is distrusted: the size must be one a download could have, the
// ranges must tile 0..ContentLength in the generated layout, and each position must lie inside
// its own range. Names the first bad field. Every bound is checked before the arithmetic that
// relies on it, so no sum or product can overflow.
std::string CDownloadTaskManager::layoutProblem() const {
    if (ContentLength <= 0 || ContentLength > kMaxContentLength)
        return "ContentLength " + std::to_string(ContentLength);
    const auto& tasks = allTasks();
    if (tasks.empty()) return "no Task";
    const std::int64_t generated =
        SingleStream ? 1 : std::max<std::int64_t>(ContentLength / kSegmentSize, 1);
    if (TasksCount != static_cast<std::int64_t>(tasks.size()) || TasksCount != generated)
        return "TasksCount " + std::to_string(TasksCount);
    std::int64_t expected = 0;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const CTask& t = *tasks[i];
        const std::string at = "Task " + std::to_string(i + 1) + " ";
        const std::int64_t done = t.DownloadedPos.load();
        const std::int32_t status = t.TaskStatus.load();
        const std::int64_t id = t.TaskId.load();
        if (id != static_cast<std::int64_t>(i) + 1) return at + "TaskId " + std::to_string(id);
        if (t.StartPos != static_cast<std::int64_t>(i) * kSegmentSize || t.StartPos != expected)
            return at + "StartPos " + std::to_string(t.StartPos);
        if (t.EndPos < t.StartPos || t.EndPos > ContentLength)
            return at + "EndPos " + std::to_string(t.EndPos);
        if (done < t.StartPos || done > t.EndPos)
            return at + "DownloadedPos " + std::to_string(done);
        if (status < TaskNew || status > TaskAtWorker ||
            (status == TaskFinished && done != t.EndPos))
            return at + "TaskStatus " + std::to_string(status);
        expected = t.EndPos + 1;
    }
    if (expected != ContentLength + 1) return "last EndPos " + std::to_string(expected - 1);
    return {};
}

bool CDownloadTaskManager::taskFileExists() const {
    return platform::OpenFile(FuntionImpl::Utf8ToUtf16(m_taskFilePath), "rb") != nullptr;
}

int CDownloadTaskManager::deleteTaskFiles() {
    clearTasks();
    std::error_code ignored;
    std::filesystem::remove(platform::Utf8Path(m_packagePath), ignored);
    std::filesystem::remove(platform::Utf8Path(m_taskFilePath), ignored);
    ContentLength = 0;
    DownloadTime = 0;
    SingleStream = false;
    Version = {};
    return 1;
}

bool CDownloadTaskManager::fileChanged() const {
    for (const auto& t : allTasks())
        if (t->FileChanged.load()) return true;
    return false;
}

bool CDownloadTaskManager::restartChangedFile() {
    CVD_LOG << " taskinfo file error";
    sendTaskFileError("DL025");
    const std::int64_t previous = ContentLength;
    clearTasks();
    // The open package stream keeps writing into the same file, so it is emptied, not removed.
    std::error_code ignored;
    std::filesystem::resize_file(platform::Utf8Path(m_packagePath), 0, ignored);
    m_probeSize = -1;
    if (generateDownloadTask("") == Success) return true;
    ContentLength = previous;  // nothing to fetch, and the download reads as incomplete
    return false;
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
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (milliseconds > 0 && DownloadTime > kMax - milliseconds)
        DownloadTime = kMax;
    else if (milliseconds < 0 && DownloadTime < kMin - milliseconds)
        DownloadTime = kMin;
    else
        DownloadTime += milliseconds;
    return DownloadTime;
}
