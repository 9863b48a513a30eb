// POSIX implementation: the machine's registry records are the file store of this folder's
// sibling common/RegistryFileStore.cpp, in MachineStateFolder().
#include "platform/Registry.h"

#include "RegistryFileStore.h"
#include "platform/Paths.h"

namespace platform {

RegistryStore RegistryStore::Machine() { return RegistryStore(MachineStateFolder()); }

RegistryStore::RegistryStore(std::wstring folder) : folder_(std::move(folder)) {}

std::optional<std::wstring> RegistryStore::ReadString(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    return detail::RegistryFileStore(folder_).ReadString(root, key, name);
}

std::optional<std::uint32_t> RegistryStore::ReadDword(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    return detail::RegistryFileStore(folder_).ReadDword(root, key, name);
}

bool RegistryStore::WriteString(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name, const std::wstring& text) {
    return detail::RegistryFileStore(folder_).WriteString(root, key, name, text);
}

bool RegistryStore::WriteDword(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                               std::uint32_t value) {
    return detail::RegistryFileStore(folder_).WriteDword(root, key, name, value);
}

bool RegistryStore::DeleteValue(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name) {
    return detail::RegistryFileStore(folder_).DeleteValue(root, key, name);
}

bool RegistryStore::DeleteKey(RegistryRoot root, const std::wstring& key) {
    return detail::RegistryFileStore(folder_).DeleteKey(root, key);
}

bool RegistryStore::KeyExists(RegistryRoot root, const std::wstring& key) const {
    return detail::RegistryFileStore(folder_).KeyExists(root, key);
}

}  // namespace platform
