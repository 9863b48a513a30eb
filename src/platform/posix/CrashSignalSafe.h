// POSIX implementation: the async-signal-safe pieces of the crash handler (text output without
// allocation, civil time from the real-time clock, GNU build ids read from ELF files). Private to
// this folder and the platform tests.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform::posix {

// The lock-file descriptor the crash handler unlocks (-1: none). NamedMutex publishes it.
extern std::atomic<int> g_crashReleaseFd;

// Formats into a caller's fixed buffer and writes it to a descriptor; never allocates.
class SafeWriter {
public:
    explicit SafeWriter(int fd) : fd_(fd) {}
    SafeWriter& Text(const char* text);
    SafeWriter& Text(const char* text, std::size_t size);
    SafeWriter& Dec(long long value);
    SafeWriter& Hex(std::uintptr_t value);          // "0x" + lower-case digits
    SafeWriter& Digits(unsigned value, int width);  // zero-padded decimal
    // False once a write failed.
    bool Ok() const { return ok_; }

private:
    int fd_;
    bool ok_ = true;
};

struct CivilTime {
    int year, month, day, hour, minute, second, millisecond;
};

// The local time of `unixMs` (milliseconds since 1970, UTC) shifted by `utcOffsetSeconds`.
CivilTime CivilFromUnixMs(long long unixMs, long utcOffsetSeconds);

// Writes "%.4d%.2d%.2d%.2d%.2d%.2d%.3d" of `t` into out (18 bytes with the terminator).
void FormatStamp17(const CivilTime& t, char out[18]);

// The GNU build id of the ELF file at `path` as lower-case hex into `out` (terminated); false
// when the file is no ELF object or carries none. Reads at most a few pages, bounded by `size`.
bool ReadBuildId(const char* path, char* out, std::size_t size);

}  // namespace platform::posix
