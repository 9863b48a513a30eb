// How much a slow link's socket should hold before its reader is woken: its receive low-water
// mark. Left alone, every burst a slow link delivers wakes the worker for a read or two; with a
// mark of about a tenth of a second's worth of data the kernel wakes it once per batch, which it
// then reads in one go. Once a batch is read down to less than a read's worth, the next mark is
// set; while a batch is being read the mark is 1, or the rest of it would count as "not yet".
//
// The mark never asks for more than can come: at most half of what the range has left (part of a
// record may already sit in the TLS layer), and none near the range's end. A fast link always has
// data waiting, so it gets no mark.
#pragma once

#include <chrono>
#include <cstdint>

class ReadBatching {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::int64_t kFastLinkBytesPerSecond = 32 * 1048576;
    static constexpr std::chrono::milliseconds kBatchTime{100};
    static constexpr std::int64_t kLargestBatch = 2 * 1048576;
    // Below this much left in the range, every byte is read as it comes.
    static constexpr std::int64_t kSmallestRest = 128 * 1024;
    // More than one read takes from the socket: a TLS record and its framing.
    static constexpr std::int64_t kReadBytes = 17 * 1024;

    // After a chunk of `n` bytes brought the transfer's next byte to `pos` at `now`, with `rest`
    // bytes of the range still to come: the mark the socket should have now. `unread` (what the
    // socket holds, -1 when unknown) is asked only on the first chunk after a batched wake-up.
    template <typename Unread>
    int AfterChunk(std::int64_t pos, std::int64_t n, std::int64_t rest, Clock::time_point now,
                   Unread unread) {
        const std::int64_t rate = Rate(pos, now);
        if (mark_ > 1) {
            left_ = unread();
            if (left_ < 0) return mark_ = 1;
        } else {
            left_ -= n;
        }
        if (left_ >= kReadBytes) return mark_ = 1;
        return mark_ = MarkFor(rate, rest);
    }
    // The mark last asked for.
    int Mark() const { return mark_; }
    // The batch waited for is not coming at the expected pace: read what there is.
    void Release() {
        mark_ = 1;
        left_ = 0;
    }
    // The time the last chunk came, none before the first.
    Clock::time_point LastChunk() const { return lastChunk_; }

    // A batch for a link receiving `bytesPerSecond`, with `rest` bytes of the range to come.
    static int MarkFor(std::int64_t bytesPerSecond, std::int64_t rest);

private:
    // The link's rate over this transfer so far, in bytes per second; 0 until it can be told.
    std::int64_t Rate(std::int64_t pos, Clock::time_point now);

    Clock::time_point firstChunk_{};
    Clock::time_point lastChunk_{};
    std::int64_t firstPos_ = 0;
    std::int64_t left_ = 0;  // of the batch being read
    int mark_ = 1;
};
