#include "sys/IniFile.h"

#include <cstdio>
#include <cwctype>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Files.h"
#include "sys/StringUtils.h"
#include "sys/TextConvert.h"

namespace FuntionImpl {
namespace {

constexpr std::wstring_view kBlanks = L" \t\v\f";

std::wstring_view Trim(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

// Plain stdio: a read error (a folder, an I/O fault) must give the default, not an exception.
std::optional<std::string> ReadBytes(const std::wstring& file) {
    const platform::FilePtr in = platform::OpenFile(file, "rb");
    if (!in) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, in.get()))
        bytes.append(buffer, count);
    if (std::ferror(in.get())) return std::nullopt;
    return bytes;
}

bool IsComment(std::wstring_view line) { return line.front() == L';' || line.front() == L'#'; }

// The value of `key` in the first section called `section`, trimmed. Like the Windows reader,
// a later section of the same name is not searched, and a line without '=' holds no value.
std::optional<std::wstring> FindValue(std::wstring_view text, std::wstring_view section,
                                      std::wstring_view key) {
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(L"\r\n");
        const std::wstring_view line = Trim(text.substr(0, end));
        text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
        if (line.empty() || IsComment(line)) continue;
        if (line.front() == L'[') {
            if (sectionSeen) return std::nullopt;
            inSection = SameName(Trim(line.substr(1, line.find(L']') - 1)), section);
            sectionSeen = inSection;
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (inSection && equals != std::wstring_view::npos &&
            SameName(Trim(line.substr(0, equals)), key))
            return std::wstring(Trim(line.substr(equals + 1)));
    }
    return std::nullopt;
}

}  // namespace

int ReadIniInt(const std::wstring& file, const std::wstring& section, const std::wstring& key,
               int defaultValue) {
    const std::optional<std::string> bytes = ReadBytes(file);
    return bytes ? IniInt(*bytes, section, key, defaultValue) : defaultValue;
}

int IniInt(std::string_view bytes, const std::wstring& section, const std::wstring& key,
           int defaultValue) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::wstring text = Utf8ToUtf16(std::string(bytes));
    const std::optional<std::wstring> value = FindValue(text, Trim(section), Trim(key));
    if (!value || value->empty()) return defaultValue;
    return WToI(*value);
}

}  // namespace FuntionImpl
