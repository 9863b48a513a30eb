#include "PayloadInstall.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "platform/FsPath.h"
#include "platform/Text.h"
#include "sys/ProductManifest.h"
#include "sys/SetupFormat.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

InstallReport Damaged(std::string reason) {
    return {InstallResult::DamagedPayload, std::move(reason), 0};
}
InstallReport WriteFailed(std::string reason) {
    return {InstallResult::WriteFailed, std::move(reason), 0};
}

// The entry's path below the target, or empty when it may not be extracted there.
fs::path SafeRelativePath(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty() || name.front() == '/' || name.find(':') != std::string::npos) return {};
    fs::path relative;
    for (const auto& part : platform::Utf8Path(name)) {
        if (part == "..") return {};
        if (part.empty() || part == ".") continue;
        relative /= part;
    }
    return relative;
}

// The Unix file type in an entry's mode, as the zip format stores it whatever system reads it.
constexpr zip_uint32_t kUnixTypeMask = 0170000;
constexpr zip_uint32_t kUnixSymlink = 0120000;

bool IsSymlink(zip_t* archive, zip_uint64_t index) {
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & kUnixTypeMask) == kUnixSymlink;
}

fs::perms ModeOf(zip_t* archive, zip_uint64_t index) {
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) == 0 &&
        system == ZIP_OPSYS_UNIX && (attributes >> 16 & 0111))
        return static_cast<fs::perms>(0755);
    return static_cast<fs::perms>(0644);
}

fs::path SiblingName(const fs::path& target, const char* purpose) {
    std::random_device random;
    return target.parent_path() /
           platform::Utf8Path("." + platform::Utf8Text(target.filename()) + "." + purpose + "-" +
                              std::to_string(random()));
}

// One entry into `file`; false when the archive's bytes are damaged (read error or CRC).
bool CopyEntry(zip_t* archive, zip_uint64_t index, const fs::path& file, std::string& why,
               bool& writeFailed) {
    std::unique_ptr<zip_file_t, ZipFileClose> in(zip_fopen_index(archive, index, 0));
    if (!in) return why = zip_strerror(archive), false;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return writeFailed = true, why = "cannot create " + platform::Utf8Text(file), false;
    std::vector<char> buffer(1 << 16);
    while (true) {
        const zip_int64_t got = zip_fread(in.get(), buffer.data(), buffer.size());
        if (got < 0) return why = zip_file_strerror(in.get()), false;
        if (got == 0) break;
        if (!out.write(buffer.data(), got))
            return writeFailed = true, why = "cannot write " + platform::Utf8Text(file), false;
    }
    out.close();
    if (!out) return writeFailed = true, why = "cannot write " + platform::Utf8Text(file), false;
    return true;
}

InstallReport ExtractAll(zip_t* archive, const fs::path& staging) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    InstallReport report;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* rawName = zip_get_name(archive, i, 0);
        const std::string name = rawName ? rawName : "";
        const fs::path relative = SafeRelativePath(name);
        if (relative.empty() || IsSymlink(archive, i))
            return Damaged("entry \"" + name + "\" would land outside the install folder");
        if (relative == platform::Utf8Path(FuntionImpl::kProductManifestEntry))
            continue;  // the setup's, not the product's
        const fs::path destination = staging / relative;
        std::error_code ec;
        if (name.back() == '/' || name.back() == '\\') {
            if (!fs::create_directories(destination, ec) && ec)
                return WriteFailed("cannot create " + platform::Utf8Text(destination) + ": " +
                                   ec.message());
            continue;
        }
        fs::create_directories(destination.parent_path(), ec);
        if (ec)
            return WriteFailed("cannot create " + platform::Utf8Text(destination.parent_path()));
        std::string why;
        bool writeFailed = false;
        if (!CopyEntry(archive, i, destination, why, writeFailed))
            return writeFailed ? WriteFailed(why) : Damaged("entry \"" + name + "\": " + why);
        fs::permissions(destination, ModeOf(archive, i), ec);
        ++report.files;
    }
    return report;
}

// Puts `staging` where `target` is; an existing install is replaced as a whole.
bool MoveIntoPlace(const fs::path& staging, const fs::path& target, std::string& why) {
    std::error_code ec;
    fs::path old;
    if (fs::exists(target, ec)) {
        old = SiblingName(target, "old");
        fs::rename(target, old, ec);
        if (ec)
            return why = "cannot move the old " + platform::Utf8Text(target) + ": " + ec.message(),
                   false;
    }
    fs::rename(staging, target, ec);
    if (ec) {
        why = "cannot rename into " + platform::Utf8Text(target) + ": " + ec.message();
        if (!old.empty()) fs::rename(old, target, ec);
        return false;
    }
    if (!old.empty()) fs::remove_all(old, ec);
    return true;
}

}  // namespace

InstallReport InstallPayload(const std::string& setupFile, std::uint64_t offset,
                             std::uint64_t length, const std::string& targetFolder) {
    std::string why;
    const FuntionImpl::PayloadArchive archive =
        FuntionImpl::OpenPayloadArchive(platform::Utf8ToWide(setupFile), {offset, length}, why);
    if (!archive) return Damaged("the payload is not a valid archive: " + why);

    const fs::path target = fs::absolute(platform::Utf8Path(targetFolder));
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec)
        return WriteFailed("cannot create " + platform::Utf8Text(target.parent_path()) + ": " +
                           ec.message());
    const fs::path staging = SiblingName(target, "setup");
    if (!fs::create_directory(staging, ec))
        return WriteFailed("cannot create " + platform::Utf8Text(staging) + ": " + ec.message());

    InstallReport report = ExtractAll(archive.get(), staging);
    if (report.result == InstallResult::Installed && !MoveIntoPlace(staging, target, why))
        report = WriteFailed(why);
    if (report.result != InstallResult::Installed) fs::remove_all(staging, ec);
    return report;
}

}  // namespace setup
