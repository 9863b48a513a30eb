// What a segment download writes into: one byte range of the shared package file. The download
// worker fills this from its current task; the libcurl callbacks see nothing else of it.
//
// Threading: `downloadedPos` is also read by the progress thread, hence atomic; `segmentCdn` is
// written only by the transfer's own thread. Every seek-and-write on `file` happens under
// `fileMutex`, because all workers share one stream; the workers of one process first take
// `processLock` (when given), so they queue on a plain mutex instead of all contending for the
// named one.
//
// `stop` ends the transfer early (the download is being stopped); the bytes written so far stay
// valid and counted.
//
// Body bytes belong to the range only when the answer said so: a 206 whose Content-Range starts
// where the range stands and names the expected total. Until then every body byte is refused.
//
// On a slow link the socket is told to wake the worker only once a batch has arrived
// (`batching`), instead of once per burst; that needs the transfer's socket (`sockets`).
//
// Received bytes are held back in `pending` and written in batches, so the locks and the seek are
// paid once per batch rather than once per network chunk. `downloadedPos` only ever counts bytes
// that are in the file: the task file saves it as the resume point. Because it reads "complete"
// when it equals `endPos`, and an inner range's `endPos` is its last byte, the position written
// there stays one short of `endPos` until that last byte itself is in the file.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "net/ReadBatching.h"

class HandleSockets;
namespace platform {
class NamedMutex;
}

struct SegmentTarget {
    std::int32_t taskId = 0;
    std::int64_t endPos = 0;
    std::atomic<std::int64_t>* downloadedPos = nullptr;
    std::int64_t contentLength = 0;
    const std::string* probeCdn = nullptr;
    std::string* segmentCdn = nullptr;
    std::fstream* file = nullptr;
    platform::NamedMutex* fileMutex = nullptr;
    std::mutex* processLock = nullptr;
    const std::atomic<bool>* stop = nullptr;
    // The range is the whole file: a 200 answer is its body from offset 0 (the recorded position
    // drops to 0 when one begins). Otherwise a 200 sets `rangeIgnored`, when given.
    bool wholeFile = false;
    std::atomic<bool>* rangeIgnored = nullptr;
    // Sent as If-Range when not empty (a strong ETag, else a Last-Modified date). A 200 answer
    // naming another version sets `fileChanged`; one naming this version means ranges are ignored.
    std::string ifRange;
    std::atomic<bool>* fileChanged = nullptr;

    struct PendingWrite {
        std::vector<char> bytes;  // belong at file offset `at` onwards
        std::int64_t at = 0;
        std::chrono::steady_clock::time_point lastFlush = std::chrono::steady_clock::now();
    };
    PendingWrite pending;
    // File offset one past the last body byte taken in this transfer; -1 before the first.
    std::int64_t taken = -1;

    // What the answer now being received showed: its status and whether its Content-Range
    // placed its body at this range's position.
    struct Answer {
        long status = 0;
        bool rangeConfirmed = false;
        std::string validator;  // of a 200 answer to a range request: its ETag or date
    };
    Answer answer;

    ReadBatching batching;
    const HandleSockets* sockets = nullptr;
};
