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

#include "net/CLibcurlTool.h"
#include "net/HandleSockets.h"
#include "net/HeaderText.h"
#include "platform/NamedMutex.h"
#include "platform/Network.h"
#include "sys/Log.h"

namespace {

// The last byte this segment may write. The last segment's EndPos is the file size, one past
// its last byte; without the clamp a surplus chunk would append a stray byte to the file.
std::int64_t LastWritableByte(const SegmentTarget& t) {
    if (t.contentLength > 0 && t.endPos > t.contentLength - 1) return t.contentLength - 1;
    return t.endPos;
}

// The position to record once every byte before file offset `written` is in the file. EndPos
// means "complete", so it is recorded only when the last writable byte is in; until then the
// position stays below EndPos, at the cost of one byte fetched again for an inner range.
std::int64_t RecordedPosition(const SegmentTarget& t, std::int64_t written) {
    if (written > LastWritableByte(t)) return t.endPos;
    return std::min(written, t.endPos - 1);
}

// Where the next body byte of this transfer belongs.
std::int64_t NextOffset(const SegmentTarget& t) {
    return t.taken >= 0 ? t.taken : t.downloadedPos->load();
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
// last writable byte for a chunk crossing the range's end.
std::size_t HoldBack(SegmentTarget& t, const char* data, std::size_t n) {
    SegmentTarget::PendingWrite& p = t.pending;
    const std::int64_t pos = NextOffset(t);
    if (p.bytes.empty()) p.at = pos;
    const std::int64_t room = std::max<std::int64_t>(LastWritableByte(t) - pos + 1, 0);
    const std::size_t taken =
        static_cast<std::uint64_t>(room) < n ? static_cast<std::size_t>(room) : n;
    t.taken = pos + static_cast<std::int64_t>(taken);
    if (p.bytes.capacity() < kBatchBytes) p.bytes.reserve(kBatchBytes);
    p.bytes.insert(p.bytes.end(), data, data + taken);
    return taken;
}

bool RangeReceived(const SegmentTarget& t) { return NextOffset(t) > LastWritableByte(t); }

platform::Socket SocketOf(const SegmentTarget& t) { return t.sockets ? t.sockets->Only() : -1; }

// Sets the socket's low-water mark the batching asks for, when it changed.
void ApplyMark(const SegmentTarget& t, platform::Socket socket, int before) {
    if (t.batching.Mark() != before) platform::SetReceiveLowWater(socket, t.batching.Mark());
}

void BatchReads(SegmentTarget& t, std::size_t n) {
    const platform::Socket socket = SocketOf(t);
    if (socket < 0) return;
    const int before = t.batching.Mark();
    const std::int64_t rest = LastWritableByte(t) + 1 - NextOffset(t);
    t.batching.AfterChunk(NextOffset(t), static_cast<std::int64_t>(n), rest,
                          ReadBatching::Clock::now(),
                          [socket] { return platform::UnreadSocketBytes(socket); });
    ApplyMark(t, socket, before);
}

// A batch that keeps the worker waiting much longer than it should is read as it stands, so a
// link that slowed down still shows progress.
void ReleaseLateBatch(SegmentTarget& t) {
    constexpr auto kLate = ReadBatching::kBatchTime * 3;
    if (t.batching.Mark() <= 1 || ReadBatching::Clock::now() - t.batching.LastChunk() < kLate)
        return;
    const platform::Socket socket = SocketOf(t);
    const int before = t.batching.Mark();
    t.batching.Release();
    if (socket >= 0) ApplyMark(t, socket, before);
}

// A full batch, a finished range, or a slow link that has not shown progress for a while.
bool FlushDue(const SegmentTarget& t) {
    const SegmentTarget::PendingWrite& p = t.pending;
    return p.bytes.size() >= kBatchBytes || RangeReceived(t) ||
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
        ok = WriteAt(*t.file, p.at, p.bytes.data(), p.bytes.size()) == p.bytes.size();
        if (ok)
            t.downloadedPos->store(
                RecordedPosition(t, p.at + static_cast<std::int64_t>(p.bytes.size())));
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
    if (total != t.contentLength) {
        CVD_LOG << " HeaderCallback error1: " << t.contentLength << " != " << line;
        return false;
    }
    // The body must start exactly where this range stands, or its bytes land at the wrong offset.
    const std::size_t colon = line.find(':');
    const auto range = HeaderText::ParseContentRange(
        colon == std::string_view::npos ? std::string_view{} : line.substr(colon + 1));
    const std::int64_t expected = NextOffset(t);
    if (!range || range->first != expected) {
        CVD_LOG << " HeaderCallback error4: " << expected << " != " << line;
        return false;
    }
    return true;
}

// The status of an answer's status line; 0 for any other line.
long StatusOf(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return 0;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    const long long status = HeaderText::ParseDecimal(line.substr(space + 1));
    return status > 0 && status < 1000 ? static_cast<long>(status) : 0;
}

// A new answer begins (a redirect's target, after a 3xx). An error answer's body must never be
// written into the package as if it were the range, nor the whole file from a server that
// ignored the range.
bool AcceptStatus(SegmentTarget& t, std::string_view line, long status) {
    t.answer = {status, false, {}};
    if (status >= 400) {
        CVD_LOG << " HeaderCallback error3: " << line;
        return false;
    }
    if (status == 200 && t.wholeFile) {
        t.answer.rangeConfirmed = true;
        t.taken = 0;
        t.downloadedPos->store(0);
        return true;
    }
    // A 200 to a range request is judged once its validators have been read.
    if (status == 200) return true;
    if (status >= 200 && status < 300 && status != 206) {
        CVD_LOG << " HeaderCallback error5: range not honoured: " << line;
        return false;
    }
    return true;
}

// The lines of a 200 that answered a range request: whole file instead of the range. It is never
// written; its validator tells a changed file (If-Range did its work) from a server that ignores
// ranges. The transfer ends with the headers.
bool WholeFileInstead(SegmentTarget& t, std::string_view line) {
    const bool etag = !t.ifRange.empty() && t.ifRange.front() == '"';
    const std::string value = HeaderText::HeaderValue(line, etag ? "ETag:" : "Last-Modified:");
    if (!value.empty()) t.answer.validator = value;
    if (line != "\r\n" && line != "\n") return true;
    if (!t.ifRange.empty() && !t.answer.validator.empty() && t.answer.validator != t.ifRange) {
        CVD_LOG << " HeaderCallback error6: the file changed: " << t.answer.validator
                << " != " << t.ifRange;
        if (t.fileChanged) t.fileChanged->store(true);
    } else {
        CVD_LOG << " HeaderCallback error5: range not honoured";
        if (t.rangeIgnored) t.rangeIgnored->store(true);
    }
    return false;
}

}  // namespace

std::size_t CLibcurlTool::downloadFunc(char* data, std::size_t size, std::size_t count,
                                       void* worker) {
    auto& t = *static_cast<SegmentTarget*>(worker);
    const std::size_t n = size * count;
    if (t.contentLength > 0 && !t.answer.rangeConfirmed) {
        CVD_LOG << " Thread: " << t.taskId << " body without a matching Content-Range refused";
        return 0;
    }
    const std::size_t accepted = HoldBack(t, data, n);
    BatchReads(t, n);
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
    ReleaseLateBatch(t);
    if (t.pending.bytes.empty() || !FlushDue(t)) return 0;
    return flushSegment(t) ? 0 : 1;
}

std::size_t CLibcurlTool::HeaderCallback(char* line, std::size_t size, std::size_t count,
                                         void* worker) {
    const std::size_t n = size * count;
    auto& t = *static_cast<SegmentTarget*>(worker);
    if (!line || t.contentLength == 0) return n;
    const std::string_view text(line, n);
    if (const long status = StatusOf(text)) return AcceptStatus(t, text, status) ? n : 0;
    if (t.answer.status == 200 && !t.wholeFile) return WholeFileInstead(t, text) ? n : 0;
    if (HeaderText::FindHeader(text, "CF-RAY:") == 0) {
        TakeCfRay(t, text);
    } else if (HeaderText::FindHeader(text, "CF-Cache-Status:") == 0) {
        TakeCacheStatus(t, text);
    } else if (t.answer.status == 200 && HeaderText::FindHeader(text, "Content-Length:") == 0) {
        // The whole file in a 200 answer: its length is the guard against a changed file.
        const long long length = HeaderText::ParseDecimal(text.substr(15));
        if (length != t.contentLength) {
            CVD_LOG << " HeaderCallback error1: " << t.contentLength << " != " << text;
            return 0;
        }
    } else if (HeaderText::FindHeader(text, "Content-Range:") == 0) {
        // The field itself: a name that merely starts so ("Content-Range-Note:") shows no range.
        if (!ContentRangeMatches(t, text)) return 0;
        t.answer.rangeConfirmed = t.answer.status == 206;
    }
    return n;
}
