// The registry keys the installer keeps. Windows: the registry itself, HKEY_LOCAL_MACHINE in its
// 32-bit view (KEY_WOW64_32KEY), where the shipped 32-bit installer keeps them on a 64-bit
// system. Linux, and a store kept in a folder on Windows (tests): a small file-backed stand-in.
// Keys and value names are compared without regard to case, as the registry does. Every change
// of a file store rewrites it atomically (temporary file + rename) under an exclusive lock, so
// concurrent installers and a crash mid-write never leave a torn store. Absent keys and values
// read as absent.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

class RegistryStore {
public:
    // The store of this machine. Linux: in MachineStateFolder() (looked up at each call).
    // Windows: the registry, unless CVD_MACHINE_STATE_DIR names a folder (tests): then that
    // folder's store.
    static RegistryStore Machine();

    // A store kept in `folder` (created when first written). Windows: an empty folder names the
    // registry itself.
    explicit RegistryStore(std::wstring folder);

    // A multi-string value (REG_MULTI_SZ) reads as its strings separated by NUL characters.
    std::optional<std::wstring> ReadString(RegistryRoot root, const std::wstring& key,
                                           const std::wstring& name) const;
    std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::wstring& key,
                                           const std::wstring& name) const;
    // Writes and deletes: true when the store was changed and saved; deleting what is absent,
    // or writing to an empty key, gives false. Writing creates the key (and so its parents).
    bool WriteString(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& text);
    bool WriteDword(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                    std::uint32_t value);
    bool DeleteValue(RegistryRoot root, const std::wstring& key, const std::wstring& name);
    // Deletes the key, its values and every key below it.
    bool DeleteKey(RegistryRoot root, const std::wstring& key);
    bool KeyExists(RegistryRoot root, const std::wstring& key) const;

private:
    std::wstring folder_;
};

}  // namespace platform
