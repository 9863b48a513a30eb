#include "sys/TrustStore.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/FsPath.h"
#include "platform/Resources.h"

namespace FuntionImpl {
namespace {

// A certificate file is small; anything larger in a skin is not one of ours.
constexpr std::uint64_t kMaxCertificateFile = 256 * 1024;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; });
    return text;
}

bool IsCertificateName(const std::string& lowerName) {
    return lowerName.ends_with(".pem") || lowerName.ends_with(".crt");
}

// Skins may use either separator, like every other skin path.
std::string Normalised(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return Lower(name);
}

void AddEntry(TrustStore& store, const std::string& relative, std::string pem) {
    if (!IsCertificateName(relative)) return;
    if (relative.starts_with("deny/"))
        store.deniedPem.push_back(std::move(pem));
    else if (relative.find('/') == std::string::npos)
        store.trustedPem.push_back(std::move(pem));
}

}  // namespace

TrustStore TrustStoreFromFolder(const std::wstring& folder) {
    TrustStore store;
    namespace fs = std::filesystem;
    const fs::path root = platform::FsPath(folder);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->file_size(ec) > kMaxCertificateFile) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const std::u8string relative = it->path().lexically_relative(root).generic_u8string();
        AddEntry(store, Lower(std::string(relative.begin(), relative.end())), text.str());
    }
    return store;
}

TrustStore TrustStoreFromSkin(const std::vector<std::uint8_t>& skinZip) {
    TrustStore store;
    if (skinZip.empty()) return store;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(skinZip.data(), skinZip.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source) zip_source_free(source);
        zip_error_fini(&error);
        return store;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, i, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) continue;
        const std::string name = Normalised(stat.name ? stat.name : "");
        if (!name.starts_with("trust/") || stat.size > kMaxCertificateFile) continue;
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive, i, 0),
                                                                &zip_fclose);
        if (!file) continue;
        std::string pem(stat.size, '\0');
        if (zip_fread(file.get(), pem.data(), pem.size()) != static_cast<zip_int64_t>(pem.size()))
            continue;
        AddEntry(store, name.substr(6), std::move(pem));
    }
    zip_close(archive);
    zip_error_fini(&error);
    return store;
}

TrustStore TrustStoreOfInstaller(const std::wstring& executable) {
    platform::ResourceMap resources;
    if (!platform::ReadResources(executable, resources)) return {};
    const auto skin = resources.find(std::string(platform::kSkinResource));
    return skin == resources.end() ? TrustStore{} : TrustStoreFromSkin(skin->second);
}

const TrustStore& OwnTrustStore() {
    static const TrustStore store =
        TrustStoreFromSkin(platform::OwnResource(platform::kSkinResource));
    return store;
}

}  // namespace FuntionImpl
