// Portable: the registry records of Registry.h kept in a text file, the machine's store on Linux
// and a test's store on Windows. Private to src/platform/.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace platform::detail {

// The operations and results of RegistryStore, on the file store in `folder`.
class RegistryFileStore {
public:
    explicit RegistryFileStore(std::wstring folder) : folder_(std::move(folder)) {}

    std::optional<std::wstring> ReadString(RegistryRoot root, const std::wstring& key,
                                           const std::wstring& name) const;
    std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::wstring& key,
                                           const std::wstring& name) const;
    bool WriteString(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& text);
    bool WriteDword(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                    std::uint32_t value);
    bool DeleteValue(RegistryRoot root, const std::wstring& key, const std::wstring& name);
    bool DeleteKey(RegistryRoot root, const std::wstring& key);
    bool KeyExists(RegistryRoot root, const std::wstring& key) const;

private:
    std::wstring folder_;
};

// `key` without leading or trailing backslashes: how keys are stored and looked up.
std::wstring TrimKey(const std::wstring& key);

// The file access of the store, one implementation per system.
//
// The text of the store in `folder`; empty when there is none or it cannot be read. Readers take
// no lock: the file is replaced in one step, so they see the old or the new store.
std::string ReadRegistryText(const std::wstring& folder);
// Makes `folder` when missing, then, holding a lock that excludes every other writer (threads of
// this process and other processes), reads the text, lets `change` edit it and, when it reports
// a change, replaces the file atomically. The change's verdict, or false when a step failed.
bool ChangeRegistryText(const std::wstring& folder,
                        const std::function<bool(std::string& text)>& change);

}  // namespace platform::detail
