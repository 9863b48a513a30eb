// POSIX implementation: the registry is one text file per store, rewritten atomically under flock.
//
// File format (`registry.txt` in the store's folder), UTF-8, one record per line, fields
// separated by a TAB:
//   # comment                                   (ignored)
//   K <TAB> root <TAB> key                      a key (kept even when it holds no value)
//   S <TAB> root <TAB> key <TAB> name <TAB> text       a string value (REG_SZ)
//   D <TAB> root <TAB> key <TAB> name <TAB> decimal    a 32-bit number (REG_DWORD)
// root is "HKLM" or "HKCU". Inside fields a backslash starts an escape: "\\" backslash, "\t" TAB,
// "\n" line feed, "\r" carriage return. Keys are stored as given when first created, without
// leading or trailing backslashes; look-ups fold case. A line that breaks any of these rules is
// skipped on load (and so dropped at the next rewrite), never fatal.
//
// Writers hold an in-process mutex and an exclusive flock on `registry.lock`, read the current
// file, change it, write `registry.txt.tmp`, fsync it and rename it over `registry.txt`. Readers
// take no lock: rename replaces the file in one step, so they see the old or the new store.
#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

#include "PosixSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace platform {
namespace {

constexpr char kStoreFile[] = "registry.txt";
constexpr char kTempFile[] = "registry.txt.tmp";
constexpr char kLockFile[] = "registry.lock";

struct Value {
    std::wstring name;
    bool dword = false;
    std::wstring text;
    std::uint32_t number = 0;
};

struct Key {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::wstring path;
    std::vector<Value> values;
};

using Store = std::vector<Key>;

// Case folding for names: ASCII, Latin-1, Greek and Cyrillic capitals, which covers the key
// and value names the installer uses; other characters compare exactly.
wchar_t Fold(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return Fold(x) == Fold(y); });
}

// `path` is `key` or a key below it.
bool IsAtOrBelow(const std::wstring& path, const std::wstring& key) {
    if (path.size() < key.size()) return false;
    if (!SameName(path.substr(0, key.size()), key)) return false;
    return path.size() == key.size() || path[key.size()] == L'\\';
}

std::wstring TrimKey(const std::wstring& key) {
    const std::size_t first = key.find_first_not_of(L'\\');
    if (first == std::wstring::npos) return {};
    return key.substr(first, key.find_last_not_of(L'\\') - first + 1);
}

const char* RootTag(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? "HKLM" : "HKCU";
}

std::string Escape(const std::wstring& field) {
    std::string out;
    for (char c : WideToUtf8(field)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view field, std::wstring& out) {
    std::string bytes;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            bytes += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\':
                bytes += '\\';
                break;
            case 't':
                bytes += '\t';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 'r':
                bytes += '\r';
                break;
            default:
                return false;
        }
    }
    out = Utf8ToWide(bytes);
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

Key* FindKey(Store& store, RegistryRoot root, const std::wstring& path) {
    for (Key& key : store)
        if (key.root == root && SameName(key.path, path)) return &key;
    return nullptr;
}

Key& FindOrAddKey(Store& store, RegistryRoot root, const std::wstring& path) {
    if (Key* key = FindKey(store, root, path)) return *key;
    store.push_back(Key{root, path, {}});
    return store.back();
}

Value* FindValue(Key& key, const std::wstring& name) {
    for (Value& value : key.values)
        if (SameName(value.name, name)) return &value;
    return nullptr;
}

bool ParseNumber(const std::wstring& text, std::uint32_t& number) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > 0xFFFFFFFFull) return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

// One line into the store; false (and no change) when the line is damaged.
bool LoadLine(std::string_view line, Store& store) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> fields = SplitTabs(line);
    const std::string_view tag = fields[0];
    const bool isKey = tag == "K";
    if (!(isKey ? fields.size() == 3 : fields.size() == 5 && (tag == "S" || tag == "D")))
        return false;
    RegistryRoot root;
    if (fields[1] == "HKLM")
        root = RegistryRoot::LocalMachine;
    else if (fields[1] == "HKCU")
        root = RegistryRoot::CurrentUser;
    else
        return false;
    std::wstring path, name, data;
    if (!Unescape(fields[2], path) || (path = TrimKey(path)).empty()) return false;
    if (isKey) {
        FindOrAddKey(store, root, path);
        return true;
    }
    if (!Unescape(fields[3], name) || !Unescape(fields[4], data)) return false;
    Value value{name, tag == "D", data, 0};
    if (value.dword && !ParseNumber(data, value.number)) return false;
    Key& key = FindOrAddKey(store, root, path);
    if (Value* existing = FindValue(key, name))
        *existing = value;
    else
        key.values.push_back(value);
    return true;
}

Store Load(const std::string& folder) {
    Store store;
    const auto text = posix::ReadWholeFile(folder + kStoreFile);
    if (!text) return store;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        const std::string_view line = std::string_view(*text).substr(start, end - start);
        if (!line.empty() && line.front() != '#') LoadLine(line, store);
        start = end + 1;
    }
    return store;
}

std::string Serialise(const Store& store) {
    std::string out = "# cvdownloader registry store, format 1\n";
    for (const Key& key : store) {
        const std::string prefix = std::string(RootTag(key.root)) + "\t" + Escape(key.path);
        out += "K\t" + prefix + "\n";
        for (const Value& value : key.values) {
            out += (value.dword ? "D\t" : "S\t") + prefix + "\t" + Escape(value.name) + "\t";
            out += value.dword ? std::to_string(value.number) : Escape(value.text);
            out += "\n";
        }
    }
    return out;
}

bool Save(const std::string& folder, const Store& store) {
    const std::string temp = folder + kTempFile;
    posix::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.Valid()) return false;
    const std::string text = Serialise(store);
    if (!posix::WriteAll(fd.Get(), text.data(), text.size()) || ::fsync(fd.Get()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    fd = posix::UniqueFd();
    if (::rename(temp.c_str(), (folder + kStoreFile).c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    posix::SyncFolder(folder);
    return true;
}

// Serialises writers of this process; flock serialises processes (and would serialise threads
// too, but a mutex is cheaper and does not depend on the file system supporting flock).
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

// Runs `change` on the current store under both locks and saves when it reports a change.
// Returns the change's verdict, or false when the store could not be locked or saved.
bool Modify(const std::wstring& wideFolder, const std::function<bool(Store&)>& change) {
    const std::string folder = posix::WithSlash(WideToUtf8(wideFolder));
    if (folder.empty() || !posix::MakeFolders(folder, 0755)) return false;
    std::lock_guard<std::mutex> guard(WriterMutex());
    posix::UniqueFd lock(::open((folder + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.Valid())
        lock = posix::UniqueFd(::open((folder + kLockFile).c_str(), O_RDONLY | O_CLOEXEC));
    if (!lock.Valid()) return false;
    while (::flock(lock.Get(), LOCK_EX) != 0)
        if (errno != EINTR) return false;
    Store store = Load(folder);
    if (!change(store)) return false;
    return Save(folder, store);  // closing `lock` afterwards releases the flock
}

Store LoadFrom(const std::wstring& folder) { return Load(posix::WithSlash(WideToUtf8(folder))); }

const Value* Lookup(Store& store, RegistryRoot root, const std::wstring& key,
                    const std::wstring& name) {
    Key* found = FindKey(store, root, TrimKey(key));
    return found ? FindValue(*found, name) : nullptr;
}

}  // namespace

RegistryStore RegistryStore::Machine() { return RegistryStore(MachineStateFolder()); }

RegistryStore::RegistryStore(std::wstring folder) : folder_(std::move(folder)) {}

std::optional<std::wstring> RegistryStore::ReadString(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    Store store = LoadFrom(folder_);
    const Value* value = Lookup(store, root, key, name);
    if (!value || value->dword) return std::nullopt;
    return value->text;
}

std::optional<std::uint32_t> RegistryStore::ReadDword(RegistryRoot root, const std::wstring& key,
                                                      const std::wstring& name) const {
    Store store = LoadFrom(folder_);
    const Value* value = Lookup(store, root, key, name);
    if (!value || !value->dword) return std::nullopt;
    return value->number;
}

bool RegistryStore::WriteString(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name, const std::wstring& text) {
    const std::wstring path = TrimKey(key);
    if (path.empty()) return false;
    return Modify(folder_, [&](Store& store) {
        Key& found = FindOrAddKey(store, root, path);
        Value value{name, false, text, 0};
        if (Value* existing = FindValue(found, name))
            existing->dword = false, existing->text = text;
        else
            found.values.push_back(value);
        return true;
    });
}

bool RegistryStore::WriteDword(RegistryRoot root, const std::wstring& key, const std::wstring& name,
                               std::uint32_t number) {
    const std::wstring path = TrimKey(key);
    if (path.empty()) return false;
    return Modify(folder_, [&](Store& store) {
        Key& found = FindOrAddKey(store, root, path);
        Value value{name, true, {}, number};
        if (Value* existing = FindValue(found, name))
            existing->dword = true, existing->number = number;
        else
            found.values.push_back(value);
        return true;
    });
}

bool RegistryStore::DeleteValue(RegistryRoot root, const std::wstring& key,
                                const std::wstring& name) {
    const std::wstring path = TrimKey(key);
    return Modify(folder_, [&](Store& store) {
        Key* found = FindKey(store, root, path);
        if (!found) return false;
        auto& values = found->values;
        const auto before = values.size();
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const Value& value) { return SameName(value.name, name); }),
                     values.end());
        return values.size() != before;
    });
}

bool RegistryStore::DeleteKey(RegistryRoot root, const std::wstring& key) {
    const std::wstring path = TrimKey(key);
    if (path.empty()) return false;
    return Modify(folder_, [&](Store& store) {
        const auto before = store.size();
        store.erase(std::remove_if(store.begin(), store.end(),
                                   [&](const Key& item) {
                                       return item.root == root && IsAtOrBelow(item.path, path);
                                   }),
                    store.end());
        return store.size() != before;
    });
}

bool RegistryStore::KeyExists(RegistryRoot root, const std::wstring& key) const {
    const std::wstring path = TrimKey(key);
    if (path.empty()) return true;  // the root itself
    const Store store = LoadFrom(folder_);
    return std::any_of(store.begin(), store.end(), [&](const Key& item) {
        return item.root == root && IsAtOrBelow(item.path, path);
    });
}

}  // namespace platform
