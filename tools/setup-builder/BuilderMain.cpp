// setup-builder: turns a folder into one self-extracting setup executable (SetupFormat.h).
//   setup-builder SETUP_PROGRAM FOLDER OUTPUT PRODUCT VERSION
// SETUP_PROGRAM is the built setup program (cvd-setup); FOLDER's files become the payload with
// their relative paths and executable bits, beside the product manifest (ProductManifest.h)
// naming PRODUCT and VERSION. OUTPUT is replaced atomically.
// Exit: 0 built; 1 failed; 2 usage.
#include <sys/stat.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FsPath.h"
#include "sys/MemoryZip.h"
#include "Utf8Main.h"
#include "sys/ProductManifest.h"
#include "sys/SetupFormat.h"

namespace {

namespace fs = std::filesystem;

bool AddFolder(zip_t* archive, const fs::path& folder, std::string& error) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::u8string relative = it->path().lexically_relative(folder).generic_u8string();
        const std::string name(relative.begin(), relative.end());
        if (it->is_directory()) {
            if (zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8) < 0)
                return error = zip_strerror(archive), false;
            continue;
        }
        if (!it->is_regular_file()) return error = name + ": not a regular file", false;
        const zip_int64_t index = FuntionImpl::AddFileEntry(archive, platform::WidePath(it->path()),
                                                            name, ZIP_FL_ENC_UTF_8);
        if (index < 0) return error = name + ": " + zip_strerror(archive), false;
        const bool executable =
            (it->status().permissions() & fs::perms::owner_exec) != fs::perms::none;
        const zip_uint32_t mode = S_IFREG | (executable ? 0755 : 0644);
        zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, mode << 16);
    }
    if (ec) return error = platform::Utf8Text(folder) + ": " + ec.message(), false;
    return true;
}

bool AddManifest(zip_t* archive, const std::string& manifest, std::string& error) {
    zip_source_t* source = zip_source_buffer(archive, manifest.data(), manifest.size(), 0);
    if (source &&
        zip_file_add(archive, FuntionImpl::kProductManifestEntry, source, ZIP_FL_ENC_UTF_8) >= 0)
        return true;
    if (source) zip_source_free(source);
    return error = std::string("the product manifest: ") + zip_strerror(archive), false;
}

// `manifest` must outlive the archive's close, which reads it.
bool MakePayload(const fs::path& folder, const std::string& manifest, const fs::path& zipFile,
                 std::string& error) {
    FuntionImpl::MemoryZip payload;
    zip_t* archive = payload.Archive();
    if (!archive) return error = platform::Utf8Text(zipFile) + ": cannot be created", false;
    if (!AddFolder(archive, folder, error) || !AddManifest(archive, manifest, error)) return false;
    std::string why;
    if (!payload.SaveTo(platform::WidePath(zipFile), why))
        return error = platform::Utf8Text(zipFile) + ": " + why, false;
    return true;
}

bool Append(std::ofstream& out, const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return in && (out << in.rdbuf());
}

int Build(const fs::path& program, const fs::path& folder, const fs::path& output,
          const FuntionImpl::ProductManifest& product) {
    std::string error;
    const fs::path zipFile = platform::Utf8Path(platform::Utf8Text(output) + ".payload");
    const fs::path partial = platform::Utf8Path(platform::Utf8Text(output) + ".partial");
    const std::string manifest = FuntionImpl::ProductManifestText(product);
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        error = platform::Utf8Text(folder) + ": not a folder";
    else if (manifest.empty())
        error = "the product must be one line and the version one to four numbers 0-65535";
    else if (fs::exists(folder / platform::Utf8Path(FuntionImpl::kProductManifestEntry), ec))
        error = platform::Utf8Text(folder) + ": holds a file named like the product manifest";
    if (error.empty() && MakePayload(folder, manifest, zipFile, error)) {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        const std::string trailer = FuntionImpl::SetupTrailer(fs::file_size(zipFile, ec));
        if (!Append(out, program) || !Append(out, zipFile) || !out.write(trailer.data(), 16) ||
            (out.close(), !out))
            error = platform::Utf8Text(output) + ": cannot be written";
    }
    fs::remove(zipFile, ec);
    if (error.empty()) {
        fs::permissions(partial, static_cast<fs::perms>(0755), ec);
        fs::rename(partial, output, ec);
        if (ec) error = platform::Utf8Text(output) + ": " + ec.message();
    }
    if (!error.empty()) {
        fs::remove(partial, ec);
        std::fprintf(stderr, "setup-builder: %s\n", error.c_str());
        return 1;
    }
    std::printf("built %s\n", platform::Utf8Text(output).c_str());
    return 0;
}

}  // namespace

int Utf8Main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: setup-builder SETUP_PROGRAM FOLDER OUTPUT PRODUCT VERSION\n");
        return 2;
    }
    return Build(platform::Utf8Path(argv[1]), platform::Utf8Path(argv[2]),
                 platform::Utf8Path(argv[3]), {argv[4], argv[5]});
}
