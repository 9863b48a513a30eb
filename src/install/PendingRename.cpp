#include "install/PendingRename.h"

#include <filesystem>

namespace install {

bool PathHasPendingRename(const std::wstring& path) {
    return PathHasPendingRename(path, platform::RegistryStore::Machine());
}

bool PathHasPendingRename(const std::wstring& path, const platform::RegistryStore& store) {
    const auto list = store.ReadString(platform::RegistryRoot::LocalMachine, kSessionManagerKey,
                                       kPendingRenameValue);
    if (!list) return false;
    const std::wstring needle =
        path + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    std::size_t start = 0;
    while (start < list->size()) {
        std::size_t end = list->find_first_of(std::wstring(L"\0\n", 2), start);
        if (end == std::wstring::npos) end = list->size();
        // The empty string ends the list, as in a multi-string.
        if (end == start) break;
        if (list->substr(start, end - start).find(needle) != std::wstring::npos) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace install
