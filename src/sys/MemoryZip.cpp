#include "sys/MemoryZip.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Files.h"
#include "platform/FsPath.h"

namespace FuntionImpl {

MemoryZip::MemoryZip() : buffer_(zip_source_buffer_create(nullptr, 0, 0, nullptr)) {
    archive_ = buffer_ ? zip_open_from_source(buffer_.get(), ZIP_TRUNCATE, nullptr) : nullptr;
    if (archive_) zip_source_keep(buffer_.get());  // read back after zip_close
}

MemoryZip::~MemoryZip() {
    if (archive_) zip_discard(archive_);
}

bool MemoryZip::SaveTo(const std::wstring& path, std::string& why) {
    if (!archive_) return why = "the archive could not be made", false;
    const bool empty = zip_get_num_entries(archive_, 0) == 0;
    if (zip_close(archive_) != 0) return why = zip_strerror(archive_), false;
    archive_ = nullptr;
    if (empty) return true;

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer_.get(), &st) != 0 || zip_source_open(buffer_.get()) != 0)
        return why = "cannot read back the archive", false;
    std::vector<char> bytes(static_cast<std::size_t>(st.size));
    const zip_int64_t got = zip_source_read(buffer_.get(), bytes.data(), bytes.size());
    zip_source_close(buffer_.get());
    if (got != static_cast<zip_int64_t>(bytes.size()))
        return why = "cannot read back the archive", false;

    platform::FilePtr out = platform::OpenFile(path, "wb");
    if (!out) return why = "cannot be created", false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
    if (std::fclose(out.release()) == 0 && written) return true;
    std::error_code ignored;
    std::filesystem::remove(platform::FsPath(path), ignored);  // part of an archive is none
    return why = "cannot be written", false;
}

zip_int64_t AddFileEntry(zip_t* archive, const std::wstring& file, const std::string& entry,
                         zip_flags_t flags) {
    platform::FilePtr in = platform::OpenFile(file, "rb");
    zip_source_t* source = in ? zip_source_filep_create(in.get(), 0, -1, nullptr) : nullptr;
    if (!source) return -1;
    in.release();  // the source closes it
    const zip_int64_t index = zip_file_add(archive, entry.c_str(), source, flags);
    if (index < 0) zip_source_free(source);
    return index;
}

}  // namespace FuntionImpl
