// Windows implementation: the machine's records are the registry itself, HKEY_LOCAL_MACHINE in
// the 32-bit view (KEY_WOW64_32KEY: where the shipped 32-bit installer keeps them on a 64-bit
// system; ignored on a 32-bit one) and HKEY_CURRENT_USER. A store named by a folder (tests) is
// the file store of common/RegistryFileStore.cpp.
#include "platform/Registry.h"

#include <windows.h>

#include <vector>

#include "RegistryFileStore.h"
#include "WinSupport.h"

namespace platform {
namespace {

// Longest string value read (bytes); larger values read as absent rather than being allocated.
constexpr DWORD kMaxStringBytes = 1u << 20;

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM View(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? KEY_WOW64_32KEY : 0; }

class OpenKey {
public:
    OpenKey(RegistryRoot root, const std::wstring& path, REGSAM access, bool create) {
        const LSTATUS status =
            create ? ::RegCreateKeyExW(RootKey(root), path.c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, access | View(root), nullptr, &key_,
                                       nullptr)
                   : ::RegOpenKeyExW(RootKey(root), path.c_str(), 0, access | View(root), &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::optional<std::wstring> ReadRegistryString(RegistryRoot root, const std::wstring& path,
                                               const std::wstring& name) {
    if (path.empty()) return std::nullopt;
    const OpenKey key(root, path, KEY_QUERY_VALUE, false);
    DWORD type = 0, size = 0;
    if (!key.Get() ||
        ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) || size > kMaxStringBytes)
        return std::nullopt;
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(text.data(), size / sizeof(wchar_t));
    // Stored with or without its end; a multi-string keeps the NULs between its strings.
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

std::optional<std::uint32_t> ReadRegistryDword(RegistryRoot root, const std::wstring& path,
                                               const std::wstring& name) {
    if (path.empty()) return std::nullopt;
    const OpenKey key(root, path, KEY_QUERY_VALUE, false);
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key.Get() ||
        ::RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

bool SetRegistryValue(RegistryRoot root, const std::wstring& path, const std::wstring& name,
                      DWORD type, const void* data, std::size_t size) {
    if (path.empty() || size > kMaxStringBytes) return false;
    const OpenKey key(root, path, KEY_SET_VALUE, true);
    return key.Get() &&
           ::RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                            static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(RegistryRoot root, const std::wstring& path, const std::wstring& name) {
    const OpenKey key(root, path, KEY_SET_VALUE, false);
    return !path.empty() && key.Get() &&
           ::RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegistryKey(RegistryRoot root, const std::wstring& path) {
    if (path.empty()) return false;
    {
        const OpenKey key(root, path, KEY_ALL_ACCESS, false);
        if (!key.Get() || ::RegDeleteTreeW(key.Get(), nullptr) != ERROR_SUCCESS) return false;
    }
    return ::RegDeleteKeyExW(RootKey(root), path.c_str(), View(root), 0) == ERROR_SUCCESS;
}

}  // namespace

RegistryStore RegistryStore::Machine() {
    return RegistryStore(win32::EnvVar(L"CVD_MACHINE_STATE_DIR").value_or(std::wstring()));
}

RegistryStore::RegistryStore(std::wstring folder) : folder_(std::move(folder)) {}

std::optional<std::wstring> RegistryStore::ReadString(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    if (!folder_.empty()) return detail::RegistryFileStore(folder_).ReadString(root, key, name);
    return ReadRegistryString(root, detail::TrimKey(key), name);
}

std::optional<std::uint32_t> RegistryStore::ReadDword(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    if (!folder_.empty()) return detail::RegistryFileStore(folder_).ReadDword(root, key, name);
    return ReadRegistryDword(root, detail::TrimKey(key), name);
}

bool RegistryStore::WriteString(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name, const std::wstring& text) {
    if (!folder_.empty())
        return detail::RegistryFileStore(folder_).WriteString(root, key, name, text);
    return SetRegistryValue(root, detail::TrimKey(key), name, REG_SZ, text.c_str(),
                            (text.size() + 1) * sizeof(wchar_t));
}

bool RegistryStore::WriteDword(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                               std::uint32_t value) {
    if (!folder_.empty())
        return detail::RegistryFileStore(folder_).WriteDword(root, key, name, value);
    const DWORD number = value;
    return SetRegistryValue(root, detail::TrimKey(key), name, REG_DWORD, &number, sizeof number);
}

bool RegistryStore::DeleteValue(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name) {
    if (!folder_.empty()) return detail::RegistryFileStore(folder_).DeleteValue(root, key, name);
    return DeleteRegistryValue(root, detail::TrimKey(key), name);
}

bool RegistryStore::DeleteKey(RegistryRoot root, const std::wstring& key) {
    if (!folder_.empty()) return detail::RegistryFileStore(folder_).DeleteKey(root, key);
    return DeleteRegistryKey(root, detail::TrimKey(key));
}

bool RegistryStore::KeyExists(RegistryRoot root, const std::wstring& key) const {
    if (!folder_.empty()) return detail::RegistryFileStore(folder_).KeyExists(root, key);
    const std::wstring path = detail::TrimKey(key);
    return path.empty() || OpenKey(root, path, KEY_READ, false).Get() != nullptr;
}

}  // namespace platform
