#include "sys/RegistryUtils.h"

namespace FuntionImpl {

std::wstring ReadRegistryString(RegistryRoot root, const std::wstring& key,
                                const std::wstring& value) {
    return platform::RegistryStore::Machine().ReadString(root, key, value).value_or(L"");
}

bool WriteRegistryString(RegistryRoot root, const std::wstring& key, const std::wstring& value,
                         const std::wstring& text) {
    return platform::RegistryStore::Machine().WriteString(root, key, value, text);
}

}  // namespace FuntionImpl
