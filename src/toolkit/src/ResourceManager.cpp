#include "toolkit/ResourceManager.h"

namespace toolkit {

ResourceManager& ResourceManager::Instance() {
    static ResourceManager instance;
    return instance;
}

bool ResourceManager::SetZipArchive(const void* data, std::size_t size) {
    // Opened outside the lock: readers keep using the old archive until the swap.
    std::shared_ptr<const ZipArchive> archive = ZipArchive::FromMemory(data, size);
    std::lock_guard lock(mutex_);
    archive_ = std::move(archive);
    return archive_ != nullptr;
}

void ResourceManager::SetResourceFolder(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    std::lock_guard lock(mutex_);
    folder_ = std::move(folder);
}

std::string ResourceManager::ResourceFolder() const {
    std::lock_guard lock(mutex_);
    return folder_;
}

bool ResourceManager::HasArchive() const {
    std::lock_guard lock(mutex_);
    return archive_ != nullptr;
}

std::optional<Bytes> ResourceManager::Load(std::string_view path) const {
    std::shared_ptr<const ZipArchive> archive;
    {
        std::lock_guard lock(mutex_);
        archive = archive_;
    }
    // A reader holding the old archive finishes with it even if Release() runs meanwhile.
    if (!archive) return std::nullopt;
    return archive->Read(path);
}

void ResourceManager::Release() {
    std::lock_guard lock(mutex_);
    archive_.reset();
}

}  // namespace toolkit
