// The libcurl callbacks of segment downloads: the write callback that places the received bytes,
// in batches, at their offset in the shared package file; the progress callback that writes a
// batch the link left waiting and ends the transfer on a stop; and the header callback that
// collects CDN data and guards against a file that changed between the size probe and the range
// requests.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "net/CLibcurlTool.h"
#include "net/HeaderText.h"
#include "platform/NamedMutex.h"
#include "sys/Log.h"

namespace {

// The last byte this segment may write. The last segment's EndPos is the file size, one past
// its last byte; without the clamp a surplus chunk would append a stray byte to the file.
std::int64_t LastWritableByte(const SegmentTarget& t) {
    if (t.contentLength > 0 && t.endPos > t.contentLength - 1) return t.contentLength - 1;
    return t.endPos;
}

std::size_t WriteAt(std::fstream& file, std::int64_t offset, const char* data, std::size_t n) {
    if (n == 0) return 0;
    file.clear();
    file.seekp(static_cast<std::streamoff>(offset), std::ios::beg);
    file.write(data, static_cast<std::streamsize>(n));
    return file.good() ? n : 0;
}

constexpr std::size_t kBatchBytes = 256 * 1024;
constexpr std::chrono::milliseconds kBatchAge{100};

// Holds back the part of a chunk the segment may write: all of it inside the range, up to the
// last writable byte for a chunk crossing EndPos, which also marks the range as complete.
std::size_t HoldBack(SegmentTarget& t, const char* data, std::size_t n) {
    SegmentTarget::PendingWrite& p = t.pending;
    if (p.bytes.empty()) p.endPos = t.downloadedPos->load();
    const std::int64_t pos = p.endPos;
    std::size_t taken = n;
    if (pos + static_cast<std::int64_t>(n) <= t.endPos) {
        p.endPos = pos + static_cast<std::int64_t>(n);
    } else {
        taken = static_cast<std::size_t>(std::max<std::int64_t>(LastWritableByte(t) - pos + 1, 0));
        p.endPos = t.endPos;
    }
    if (p.bytes.capacity() < kBatchBytes) p.bytes.reserve(kBatchBytes);
    p.bytes.insert(p.bytes.end(), data, data + taken);
    return taken;
}

constexpr std::chrono::milliseconds kWaitedForData{1};
constexpr std::chrono::milliseconds kSlowLinkPause{8};
constexpr std::int64_t kSlowLinkBytesPerSecond = 32 * 1048576;

bool SlowLink(const SegmentTarget::Pacing& p, std::int64_t pos,
              std::chrono::steady_clock::time_point now) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(now - p.firstChunk).count();
    return elapsed > 0 && (pos - p.firstPos) * 1000000 / elapsed < kSlowLinkBytesPerSecond;
}

// A gap before this chunk means libcurl had to wait for the network. On a slow link, pausing then
// lets the next bursts pile up in the socket buffer to be read in one go, without waking for
// each; a fast link never waits long enough for the pause to pay.
void PaceSlowLink(SegmentTarget& t) {
    SegmentTarget::Pacing& p = t.pacing;
    const auto now = std::chrono::steady_clock::now();
    const std::int64_t pos = t.pending.endPos;
    if (p.firstChunk == std::chrono::steady_clock::time_point{}) {
        p.firstChunk = p.lastChunk = now;
        p.firstPos = pos;
        return;
    }
    const bool waited = now - p.lastChunk > kWaitedForData;
    p.lastChunk = now;
    if (!waited || pos >= t.endPos || !SlowLink(p, pos, now)) return;
    std::this_thread::sleep_for(kSlowLinkPause);
    p.lastChunk = std::chrono::steady_clock::now();
}

// A full batch, a finished range, or a slow link that has not shown progress for a while.
bool FlushDue(const SegmentTarget& t) {
    const SegmentTarget::PendingWrite& p = t.pending;
    return p.bytes.size() >= kBatchBytes || p.endPos >= t.endPos ||
           std::chrono::steady_clock::now() - p.lastFlush >= kBatchAge;
}

class FileLock {
public:
    explicit FileLock(const SegmentTarget& t) : process_(t.processLock), named_(t.fileMutex) {
        if (process_) process_->lock();
        if (named_) named_->Lock(0xFFFFFFFFu);
    }
    ~FileLock() {
        if (named_) named_->Unlock();
        if (process_) process_->unlock();
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::mutex* process_;
    platform::NamedMutex* named_;
};

// Writes the held-back bytes at the segment's position and only then advances it. The batch is
// dropped either way: after a failure the transfer fails and the range starts over.
bool Flush(SegmentTarget& t) {
    SegmentTarget::PendingWrite& p = t.pending;
    bool ok = false;
    {
        FileLock lock(t);
        const std::int64_t pos = t.downloadedPos->load();
        ok = WriteAt(*t.file, pos, p.bytes.data(), p.bytes.size()) == p.bytes.size();
        if (ok) t.downloadedPos->store(p.endPos);
    }
    p.bytes.clear();
    p.lastFlush = std::chrono::steady_clock::now();
    return ok;
}

void LogWriteError(const SegmentTarget& t, std::size_t received, std::size_t written) {
    CVD_LOG << " Thread: " << t.taskId << " Write Error. Task id：" << t.taskId
            << " Download to:" << t.downloadedPos->load() << " Receive:" << received
            << " Write:" << written << " Task EndPos:" << t.endPos;
}

void AppendCdnPart(SegmentTarget& t, const std::string& part, bool partFirst) {
    std::string& cdn = *t.segmentCdn;
    if (cdn.empty())
        cdn = part;
    else
        cdn = partFirst ? part + "/" + cdn : cdn + "/" + part;
    if (t.probeCdn && cdn == *t.probeCdn) cdn.clear();
}

void TakeCfRay(SegmentTarget& t, std::string_view line) {
    const std::size_t dash = line.find('-', 7);
    if (dash == std::string_view::npos) return;
    AppendCdnPart(t, HeaderText::ValueUntilLineEnd(line, dash + 1), true);
}

void TakeCacheStatus(SegmentTarget& t, std::string_view line) {
    AppendCdnPart(t, HeaderText::ValueUntilLineEnd(line, 17), false);
}

bool ContentRangeMatches(const SegmentTarget& t, std::string_view line) {
    const std::size_t slash = line.rfind('/');
    if (slash == std::string_view::npos) {
        CVD_LOG << " HeaderCallback error2: " << line;
        return false;
    }
    const long long total = HeaderText::ParseDecimal(line.substr(slash + 1));
    if (total == t.contentLength) return true;
    CVD_LOG << " HeaderCallback error1: " << t.contentLength << " != " << line;
    return false;
}

// An error answer's body must never be written into the package as if it were the range.
bool IsErrorStatusLine(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return false;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    return HeaderText::ParseDecimal(line.substr(space + 1)) >= 400;
}

}  // namespace

std::size_t CLibcurlTool::downloadFunc(char* data, std::size_t size, std::size_t count,
                                       void* worker) {
    auto& t = *static_cast<SegmentTarget*>(worker);
    const std::size_t n = size * count;
    const std::size_t accepted = HoldBack(t, data, n);
    PaceSlowLink(t);
    const bool ok = !FlushDue(t) || Flush(t);
    const std::size_t written = ok ? accepted : 0;
    if (written != n) LogWriteError(t, count, written);
    return written;
}

bool CLibcurlTool::flushSegment(SegmentTarget& worker) {
    if (worker.pending.bytes.empty()) return true;
    const std::size_t held = worker.pending.bytes.size();
    if (Flush(worker)) return true;
    LogWriteError(worker, held, 0);
    return false;
}

int CLibcurlTool::segmentProgress(void* worker, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& t = *static_cast<SegmentTarget*>(worker);
    if (t.stop && t.stop->load()) return 1;  // held-back bytes are written after the transfer
    if (t.pending.bytes.empty() || !FlushDue(t)) return 0;
    return flushSegment(t) ? 0 : 1;
}

std::size_t CLibcurlTool::HeaderCallback(char* line, std::size_t size, std::size_t count,
                                         void* worker) {
    const std::size_t n = size * count;
    auto& t = *static_cast<SegmentTarget*>(worker);
    if (!line || t.contentLength == 0) return n;
    const std::string_view text(line, n);
    if (IsErrorStatusLine(text)) {
        CVD_LOG << " HeaderCallback error3: " << text;
        return 0;
    }
    if (HeaderText::FindHeader(text, "CF-RAY:") == 0) {
        TakeCfRay(t, text);
    } else if (HeaderText::FindHeader(text, "CF-Cache-Status:") == 0) {
        TakeCacheStatus(t, text);
    } else if (HeaderText::FindHeader(text, "Content-Range") == 0) {
        if (!ContentRangeMatches(t, text)) return 0;
    }
    return n;
}
