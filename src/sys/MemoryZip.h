// Zip archives written through files opened from wide paths. libzip creates and reads files
// only from narrow names, which Windows reads in the ANSI code page, so an archive is built in
// memory and saved through platform::OpenFile, and each entry is read from a file opened there.
#pragma once

#include <zip.h>

#include <memory>
#include <string>

namespace FuntionImpl {

class MemoryZip {
public:
    MemoryZip();
    ~MemoryZip();
    MemoryZip(const MemoryZip&) = delete;
    MemoryZip& operator=(const MemoryZip&) = delete;

    // The archive to add entries to; null when it could not be made.
    zip_t* Archive() const { return archive_; }
    // Closes the archive and writes it to `path` (nothing for an archive without entries); false
    // with the reason in `why`, leaving no part of a file behind.
    bool SaveTo(const std::wstring& path, std::string& why);

private:
    struct SourceFree {
        void operator()(zip_source_t* source) const { zip_source_free(source); }
    };
    std::unique_ptr<zip_source_t, SourceFree> buffer_;
    zip_t* archive_ = nullptr;
};

// Adds the file `file` to `archive` as `entry` with `flags`; the entry's index, or -1 when the
// file cannot be opened or added.
zip_int64_t AddFileEntry(zip_t* archive, const std::wstring& file, const std::string& entry,
                         zip_flags_t flags);

}  // namespace FuntionImpl
