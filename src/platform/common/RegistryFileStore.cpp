// Portable: the registry records as one text file per store.
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
#include "RegistryFileStore.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/Text.h"

namespace platform::detail {
namespace {

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

Store Parse(const std::string& text) {
    Store store;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = std::string_view(text).substr(start, end - start);
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

// Runs `change` on the current store under the writers' lock and saves when it reports a
// change. Returns the change's verdict, or false when the store could not be locked or saved.
bool Modify(const std::wstring& folder, const std::function<bool(Store&)>& change) {
    if (folder.empty()) return false;
    return ChangeRegistryText(folder, [&](std::string& text) {
        Store store = Parse(text);
        if (!change(store)) return false;
        text = Serialise(store);
        return true;
    });
}

Store LoadFrom(const std::wstring& folder) { return Parse(ReadRegistryText(folder)); }

const Value* Lookup(Store& store, RegistryRoot root, const std::wstring& key,
                    const std::wstring& name) {
    Key* found = FindKey(store, root, TrimKey(key));
    return found ? FindValue(*found, name) : nullptr;
}

}  // namespace

std::wstring TrimKey(const std::wstring& key) {
    const std::size_t first = key.find_first_not_of(L'\\');
    if (first == std::wstring::npos) return {};
    return key.substr(first, key.find_last_not_of(L'\\') - first + 1);
}

std::optional<std::wstring> RegistryFileStore::ReadString(RegistryRoot root,
                                                          const std::wstring& key,
                                                          const std::wstring& name) const {
    Store store = LoadFrom(folder_);
    const Value* value = Lookup(store, root, key, name);
    if (!value || value->dword) return std::nullopt;
    return value->text;
}

std::optional<std::uint32_t> RegistryFileStore::ReadDword(RegistryRoot root,
                                                          const std::wstring& key,
                                                          const std::wstring& name) const {
    Store store = LoadFrom(folder_);
    const Value* value = Lookup(store, root, key, name);
    if (!value || !value->dword) return std::nullopt;
    return value->number;
}

bool RegistryFileStore::WriteString(RegistryRoot root, const std::wstring& key,
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

bool RegistryFileStore::WriteDword(RegistryRoot root, const std::wstring& key,
                                   const std::wstring& name, std::uint32_t number) {
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

bool RegistryFileStore::DeleteValue(RegistryRoot root, const std::wstring& key,
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

bool RegistryFileStore::DeleteKey(RegistryRoot root, const std::wstring& key) {
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

bool RegistryFileStore::KeyExists(RegistryRoot root, const std::wstring& key) const {
    const std::wstring path = TrimKey(key);
    if (path.empty()) return true;  // the root itself
    const Store store = LoadFrom(folder_);
    return std::any_of(store.begin(), store.end(), [&](const Key& item) {
        return item.root == root && IsAtOrBelow(item.path, path);
    });
}

}  // namespace platform::detail
