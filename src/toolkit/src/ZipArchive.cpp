#include "toolkit/ZipArchive.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "platform/FsPath.h"
#include "toolkit/Log.h"

namespace toolkit {
namespace {

namespace fs = std::filesystem;

// A skin entry is a picture or a document; anything claiming more is a damaged or hostile
// archive, refused before any memory is reserved for it.
constexpr zip_uint64_t kMaxEntrySize = 256ull * 1024 * 1024;

// 1980-01-01 00:00, the earliest DOS date: packing the same folder twice gives the same bytes.
constexpr zip_uint16_t kFixedDosTime = 0;
constexpr zip_uint16_t kFixedDosDate = (0 << 9) | (1 << 5) | 1;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourceHandle = std::unique_ptr<zip_source_t, SourceFreer>;

// The key under which an entry is found: letter case folded, '\' read as '/', and a leading
// "./" or "/" dropped, so every spelling a layout document uses meets the stored name.
std::string LookupKey(std::string_view path) {
    std::string key;
    key.reserve(path.size());
    // ASCII only and locale-free: bytes of UTF-8 sequences pass through untouched.
    for (char c : path) {
        if (c == '\\') c = '/';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        key.push_back(c);
    }
    std::size_t start = 0;
    while (true) {
        if (key.compare(start, 2, "./") == 0)
            start += 2;
        else if (key.compare(start, 1, "/") == 0)
            start += 1;
        else
            break;
    }
    return key.substr(start);
}

bool IsFolderName(std::string_view name) {
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

std::string ZipErrorText(zip_error_t* error) { return zip_error_strerror(error); }

}  // namespace

struct ZipArchive::Impl {
    Bytes data;
    ZipHandle archive;
    std::vector<std::string> names;
    std::unordered_map<std::string, zip_uint64_t> index;
    // libzip handles are not safe for concurrent reads of one archive.
    mutable std::mutex mutex;

    bool Open(std::string& error);
    void BuildIndex();
    std::optional<Bytes> ReadEntry(zip_uint64_t entry) const;
};

bool ZipArchive::Impl::Open(std::string& error) {
    zip_error_t zerror;
    zip_error_init(&zerror);
    SourceHandle source(zip_source_buffer_create(data.data(), data.size(), 0, &zerror));
    if (source) {
        archive.reset(zip_open_from_source(source.get(), ZIP_RDONLY, &zerror));
        if (archive) source.release();  // now owned by the archive
    }
    if (!archive) error = ZipErrorText(&zerror);
    zip_error_fini(&zerror);
    return archive != nullptr;
}

void ZipArchive::Impl::BuildIndex() {
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
        // An entry without a name (or only "./") is no file any document could mean.
        if (!name || IsFolderName(name) || LookupKey(name).empty()) continue;
        names.emplace_back(name);
        // The first of two names that differ only in case wins, as archive order says.
        index.emplace(LookupKey(name), static_cast<zip_uint64_t>(i));
    }
}

std::optional<Bytes> ZipArchive::Impl::ReadEntry(zip_uint64_t entry) const {
    std::lock_guard lock(mutex);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), entry, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        Log("zip: cannot read the header of entry " + std::to_string(entry));
        return std::nullopt;
    }
    if (st.size > kMaxEntrySize) {
        Log(std::string("zip: entry ") + st.name + " claims " + std::to_string(st.size) +
            " bytes; refused");
        return std::nullopt;
    }
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive.get(), entry, 0));
    if (!file) {
        Log(std::string("zip: cannot open ") + st.name + ": " + zip_strerror(archive.get()));
        return std::nullopt;
    }
    Bytes out(static_cast<std::size_t>(st.size));
    const zip_int64_t got = zip_fread(file.get(), out.data(), out.size());
    // One more byte must not be there: the entry is exactly as long as its header says, and
    // reading to its end makes libzip check the CRC.
    std::uint8_t extra;
    const zip_int64_t more = zip_fread(file.get(), &extra, 1);
    if (got != static_cast<zip_int64_t>(out.size()) || more != 0) {
        Log(std::string("zip: entry ") + st.name + " is damaged: " + zip_file_strerror(file.get()));
        return std::nullopt;
    }
    return out;
}

ZipArchive::ZipArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZipArchive::~ZipArchive() = default;

std::unique_ptr<ZipArchive> ZipArchive::FromMemory(const void* data, std::size_t size) {
    if (!data || size == 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    impl->data.assign(bytes, bytes + size);
    std::string error;
    if (!impl->Open(error)) {
        Log("zip: not a readable archive: " + error);
        return nullptr;
    }
    impl->BuildIndex();
    return std::unique_ptr<ZipArchive>(new ZipArchive(std::move(impl)));
}

bool ZipArchive::Contains(std::string_view path) const {
    return impl_->index.count(LookupKey(path)) != 0;
}

std::optional<Bytes> ZipArchive::Read(std::string_view path) const {
    const auto found = impl_->index.find(LookupKey(path));
    if (found == impl_->index.end()) return std::nullopt;
    return impl_->ReadEntry(found->second);
}

std::vector<std::string> ZipArchive::Entries() const { return impl_->names; }

namespace {

// Relative paths ('/'-separated, sorted) of the regular files below `folder`. Symbolic links
// are not followed, so nothing outside the folder ends up in the package.
std::optional<std::vector<std::string>> ListRegularFiles(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        Log("pack: " + platform::Utf8Text(folder) + " is not a readable folder");
        return std::nullopt;
    }
    std::vector<std::string> files;
    fs::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (it->symlink_status(ec).type() != fs::file_type::regular) continue;
        // Entry names are UTF-8 with '/' on every OS.
        const std::u8string name = fs::relative(it->path(), folder, ec).generic_u8string();
        files.emplace_back(name.begin(), name.end());
    }
    if (ec) {
        Log("pack: cannot list " + platform::Utf8Text(folder) + ": " + ec.message());
        return std::nullopt;
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<Bytes> ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// libzip cannot write an archive without entries (it removes the target instead), so an empty
// folder gets the bare end-of-central-directory record by hand.
Bytes EmptyArchive() {
    constexpr std::array<std::uint8_t, 22> kEnd = {'P', 'K', 5, 6};
    return Bytes(kEnd.begin(), kEnd.end());
}

// Writes entries into an archive held in a libzip memory buffer.
class MemoryZipWriter {
public:
    bool Open(std::string& error);
    bool Add(const std::string& name, Bytes content, std::string& error);
    std::optional<Bytes> Finish(std::string& error);

private:
    SourceHandle buffer_;
    ZipHandle archive_;
    std::deque<Bytes> contents_;  // libzip reads them only when the archive is closed
};

bool MemoryZipWriter::Open(std::string& error) {
    zip_error_t zerror;
    zip_error_init(&zerror);
    buffer_.reset(zip_source_buffer_create(nullptr, 0, 0, &zerror));
    if (buffer_) {
        archive_.reset(zip_open_from_source(buffer_.get(), ZIP_TRUNCATE, &zerror));
        // The archive now holds the buffer too; keep it alive past zip_close to read it back.
        if (archive_) zip_source_keep(buffer_.get());
    }
    if (!archive_) error = ZipErrorText(&zerror);
    zip_error_fini(&zerror);
    return archive_ != nullptr;
}

bool MemoryZipWriter::Add(const std::string& name, Bytes content, std::string& error) {
    contents_.push_back(std::move(content));
    const Bytes& kept = contents_.back();
    zip_source_t* source = zip_source_buffer(archive_.get(), kept.data(), kept.size(), 0);
    const zip_int64_t entry =
        source ? zip_file_add(archive_.get(), name.c_str(), source, ZIP_FL_ENC_GUESS) : -1;
    if (entry < 0) {
        if (source) zip_source_free(source);
        error = name + ": " + zip_strerror(archive_.get());
        return false;
    }
    const auto index = static_cast<zip_uint64_t>(entry);
    if (zip_set_file_compression(archive_.get(), index, ZIP_CM_DEFLATE, 9) != 0 ||
        zip_file_set_dostime(archive_.get(), index, kFixedDosTime, kFixedDosDate, 0) != 0) {
        error = name + ": " + zip_strerror(archive_.get());
        return false;
    }
    return true;
}

std::optional<Bytes> MemoryZipWriter::Finish(std::string& error) {
    if (zip_close(archive_.get()) != 0) {
        error = zip_strerror(archive_.get());
        return std::nullopt;
    }
    archive_.release();  // zip_close freed it
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer_.get(), &st) != 0 || zip_source_open(buffer_.get()) != 0) {
        error = "cannot read back the written archive";
        return std::nullopt;
    }
    Bytes out(static_cast<std::size_t>(st.size));
    const zip_int64_t got = zip_source_read(buffer_.get(), out.data(), out.size());
    zip_source_close(buffer_.get());
    if (got != static_cast<zip_int64_t>(out.size())) {
        error = "cannot read back the written archive";
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<Bytes> PackFolder(const std::string& folder) {
    const fs::path root = platform::Utf8Path(folder);
    const auto files = ListRegularFiles(root);
    if (!files) return std::nullopt;
    if (files->empty()) return EmptyArchive();
    MemoryZipWriter writer;
    std::string error;
    if (!writer.Open(error)) {
        Log("pack: " + error);
        return std::nullopt;
    }
    for (const std::string& name : *files) {
        const fs::path file = root / platform::Utf8Path(name);
        auto content = ReadWholeFile(file);
        if (!content) {
            Log("pack: cannot read " + platform::Utf8Text(file));
            return std::nullopt;
        }
        if (!writer.Add(name, std::move(*content), error)) {
            Log("pack: " + error);
            return std::nullopt;
        }
    }
    auto packed = writer.Finish(error);
    if (!packed) Log("pack: " + error);
    return packed;
}

}  // namespace toolkit
