// The skin package reader: an in-memory zip archive whose entries layout documents look up in any
// letter case and with either slash.
#include <algorithm>
#include <cctype>
#include <string>

#include "FuzzCheck.h"
#include "toolkit/ZipArchive.h"

namespace {

constexpr std::size_t kMaxEntrySize = 256u * 1024 * 1024;
constexpr std::size_t kEntriesRead = 64;  // bounds the time one input may take

std::string OtherSpelling(std::string name) {
    for (char& c : name) {
        if (c == '/')
            c = '\\';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto archive = toolkit::ZipArchive::FromMemory(data, size);
    if (!archive) return 0;
    const std::vector<std::string> entries = archive->Entries();
    for (std::size_t i = 0; i < entries.size() && i < kEntriesRead; ++i) {
        const std::string& name = entries[i];
        FUZZ_CHECK(!name.empty() && name.back() != '/' && name.back() != '\\');
        FUZZ_CHECK(archive->Contains(name));
        FUZZ_CHECK(archive->Contains(OtherSpelling(name)));
        if (const auto bytes = archive->Read(name)) FUZZ_CHECK(bytes->size() <= kMaxEntrySize);
    }
    // A name the archive does not hold is never found.
    FUZZ_CHECK(!archive->Read("\x01no such entry\x02").has_value() ||
               std::find(entries.begin(), entries.end(), "\x01no such entry\x02") != entries.end());
    return 0;
}
