// POSIX implementation: nothing in this file allocates, locks or calls a function outside the
// async-signal-safe list, because it runs inside the crash handler.
#include "CrashSignalSafe.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::posix {

std::atomic<int> g_crashReleaseFd{-1};

SafeWriter& SafeWriter::Text(const char* text) { return Text(text, std::strlen(text)); }

SafeWriter& SafeWriter::Text(const char* text, std::size_t size) {
    while (ok_ && size > 0) {
        const ssize_t written = ::write(fd_, text, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            ok_ = false;
            break;
        }
        text += written;
        size -= static_cast<std::size_t>(written);
    }
    return *this;
}

SafeWriter& SafeWriter::Dec(long long value) {
    char digits[24];
    int n = 0;
    unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[n++] = '-';
    char text[24];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    return Text(text, static_cast<std::size_t>(n));
}

SafeWriter& SafeWriter::Hex(std::uintptr_t value) {
    char text[2 + 2 * sizeof value];
    int n = 0;
    text[n++] = '0';
    text[n++] = 'x';
    bool started = false;
    for (int shift = static_cast<int>(sizeof value * 8) - 4; shift >= 0; shift -= 4) {
        const unsigned nibble = (value >> shift) & 0xF;
        if (!started && nibble == 0 && shift != 0) continue;
        started = true;
        text[n++] = "0123456789abcdef"[nibble];
    }
    return Text(text, static_cast<std::size_t>(n));
}

SafeWriter& SafeWriter::Digits(unsigned value, int width) {
    char text[16];
    if (width > 15) width = 15;
    for (int i = width - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return Text(text, static_cast<std::size_t>(width));
}

CivilTime CivilFromUnixMs(long long unixMs, long utcOffsetSeconds) {
    long long ms = unixMs + static_cast<long long>(utcOffsetSeconds) * 1000;
    long long days = ms / 86400000;
    long long rest = ms % 86400000;
    if (rest < 0) rest += 86400000, --days;
    // Days to year/month/day in the proleptic Gregorian calendar (era-based conversion).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    CivilTime t{};
    t.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

void FormatStamp17(const CivilTime& t, char out[18]) {
    const int parts[7] = {t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond};
    const int widths[7] = {4, 2, 2, 2, 2, 2, 3};
    int n = 0;
    for (int i = 0; i < 7; ++i) {
        unsigned value = static_cast<unsigned>(parts[i]);
        for (int d = widths[i] - 1; d >= 0; --d) {
            out[n + d] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
        n += widths[i];
    }
    out[n] = '\0';
}

namespace {

bool ReadAt(int fd, void* buffer, std::size_t size, off_t offset) {
    char* p = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = ::pread(fd, p, size, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got, offset += got, size -= static_cast<std::size_t>(got);
    }
    return true;
}

// Finds an NT_GNU_BUILD_ID note in `notes` and writes its description as hex.
bool BuildIdFromNotes(const unsigned char* notes, std::size_t length, char* out, std::size_t size) {
    std::size_t at = 0;
    while (at + sizeof(Elf64_Nhdr) <= length) {  // Elf32_Nhdr has the same layout
        Elf64_Nhdr header;
        std::memcpy(&header, notes + at, sizeof header);
        at += sizeof header;
        const std::size_t nameSize = (header.n_namesz + 3u) & ~std::size_t{3};
        const std::size_t descSize = (header.n_descsz + 3u) & ~std::size_t{3};
        if (nameSize > length - at || descSize > length - at - nameSize) return false;
        const bool gnu = header.n_namesz == 4 && std::memcmp(notes + at, "GNU", 4) == 0;
        if (gnu && header.n_type == NT_GNU_BUILD_ID && header.n_descsz * 2 + 1 <= size) {
            const unsigned char* id = notes + at + nameSize;
            for (std::size_t i = 0; i < header.n_descsz; ++i) {
                out[2 * i] = "0123456789abcdef"[id[i] >> 4];
                out[2 * i + 1] = "0123456789abcdef"[id[i] & 15];
            }
            out[2 * header.n_descsz] = '\0';
            return true;
        }
        at += nameSize + descSize;
    }
    return false;
}

template <class Ehdr, class Phdr>
bool BuildIdOf(int fd, char* out, std::size_t size) {
    Ehdr header;
    if (!ReadAt(fd, &header, sizeof header, 0)) return false;
    if (header.e_phentsize != sizeof(Phdr) || header.e_phnum > 256) return false;
    static unsigned char notes[4096];  // the handler runs on one thread at a time
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Phdr program;
        if (!ReadAt(fd, &program, sizeof program,
                    static_cast<off_t>(header.e_phoff + i * sizeof program)))
            return false;
        if (program.p_type != PT_NOTE || program.p_filesz == 0 || program.p_filesz > sizeof notes)
            continue;
        if (!ReadAt(fd, notes, program.p_filesz, static_cast<off_t>(program.p_offset))) continue;
        if (BuildIdFromNotes(notes, program.p_filesz, out, size)) return true;
    }
    return false;
}

}  // namespace

bool ReadBuildId(const char* path, char* out, std::size_t size) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char ident[EI_NIDENT];
    bool found = false;
    if (ReadAt(fd, ident, sizeof ident, 0) && std::memcmp(ident, ELFMAG, SELFMAG) == 0) {
        if (ident[EI_CLASS] == ELFCLASS64)
            found = BuildIdOf<Elf64_Ehdr, Elf64_Phdr>(fd, out, size);
        else if (ident[EI_CLASS] == ELFCLASS32)
            found = BuildIdOf<Elf32_Ehdr, Elf32_Phdr>(fd, out, size);
    }
    ::close(fd);
    return found;
}

}  // namespace platform::posix
