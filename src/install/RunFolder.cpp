#include "install/RunFolder.h"

#include <filesystem>

#include "install/PathText.h"
#include "platform/Files.h"
#include "platform/FolderSafety.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace install {
namespace {

std::wstring FolderOf(const std::wstring& file) {
    const std::filesystem::path path = FsPath(file);
    return path.has_parent_path() ? platform::WidePath(path.parent_path()) : std::wstring(L".");
}

std::string Narrow(const std::wstring& text) { return FuntionImpl::Utf16ToUtf8(text); }

}  // namespace

RunFolder::~RunFolder() {
    if (folder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(FsPath(folder_), ignored);
}

bool RunFolder::MakeBeside(const std::wstring& file) {
    const std::wstring parent = FolderOf(file);
    if (!platform::IsPathSafeFromOthers(parent)) {
        CVD_LOG << " Package folder can be changed by other users: " << Narrow(parent);
        return false;
    }
    std::string error;
    const auto folder = platform::MakeFreshPrivateFolder(parent, L"run-", error);
    if (!folder) {
        CVD_LOG << " Package copy failed: " << error;
        return false;
    }
    folder_ = *folder;
    return true;
}

std::wstring RunFolder::Copy(const std::wstring& file) {
    if (folder_.empty() && !MakeBeside(file)) return {};
    const std::wstring copy = platform::WidePath(FsPath(folder_) / FsPath(file).filename());
    std::string error;
    if (platform::CopyFilePrivately(file, copy, error)) return copy;
    CVD_LOG << " Package copy failed: " << error << ", " << Narrow(file);
    return {};
}

}  // namespace install
