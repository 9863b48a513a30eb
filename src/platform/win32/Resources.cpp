// Windows implementation: resources of the executable's own resource table (FindResourceW) and
// the trailer-marked block appended to the PE file.
#include "platform/Resources.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <type_traits>

#include "ResourceBlock.h"
#include "WinSupport.h"
#include "platform/Paths.h"

namespace platform {
namespace {

bool ReadAt(HANDLE file, std::uint64_t offset, void* buffer, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(file, bytes, chunk, &got, &at) || got == 0) return false;
        bytes += got, offset += got, size -= got;
    }
    return true;
}

// The open regular file's size; nothing for anything else.
std::optional<std::uint64_t> RegularFileSize(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

bool LoadBlock(HANDLE file, std::uint64_t fileSize, detail::BlockPlace& place, ResourceMap& out) {
    const auto readAt = [file](std::uint64_t offset, void* buffer, std::size_t size) {
        return ReadAt(file, offset, buffer, size);
    };
    return detail::LoadResourceBlock(readAt, fileSize, place, out);
}

win32::UniqueHandle OpenForReading(const std::wstring& file) {
    return win32::UniqueHandle(::CreateFileW(file.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool CopyPrefix(HANDLE from, HANDLE to, std::uint64_t length) {
    std::uint8_t buffer[65536];
    std::uint64_t offset = 0;
    while (offset < length) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, length - offset));
        if (!ReadAt(from, offset, buffer, chunk) || !win32::WriteAll(to, buffer, chunk))
            return false;
        offset += chunk;
    }
    return true;
}

// "TYPE/ID" of the resource table: a type name and a numeric id.
bool SplitTableName(std::string_view name, std::wstring& type, WORD& id) {
    const std::size_t slash = name.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 >= name.size()) return false;
    const std::string_view digits = name.substr(slash + 1);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    const unsigned long number = std::stoul(std::string(digits));
    if (number == 0 || number > 0xFFFF) return false;
    type.assign(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(slash));
    id = static_cast<WORD>(number);
    return true;
}

// The resource `name` of the resource table of `module` (null: this program); nothing when
// absent.
std::optional<Bytes> TableResource(std::string_view name, HMODULE module = nullptr) {
    std::wstring type;
    WORD id = 0;
    if (!SplitTableName(name, type, id)) return std::nullopt;
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type.c_str());
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + ::SizeofResource(module, found));
}

// Another executable's resource table, mapped as data (nothing of it runs); null for a file that
// is no executable.
struct ModuleFree {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using DataModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

DataModule MapAsData(const std::wstring& file) {
    return DataModule(::LoadLibraryExW(file.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// The names a resource table holds for the program (the icon there is an icon group, not the
// picture the block would carry under its name).
constexpr std::string_view kTableNames[] = {kSkinResource};

bool IsTableName(std::string_view name) {
    return std::find(std::begin(kTableNames), std::end(kTableNames), name) != std::end(kTableNames);
}

void AddTableResources(const std::wstring& file, ResourceMap& out) {
    const DataModule module = MapAsData(file);
    if (!module) return;
    for (std::string_view name : kTableNames)
        if (auto resource = TableResource(name, module.get()))
            out[std::string(name)] = std::move(*resource);
}

}  // namespace

bool ReadResources(const std::wstring& file, ResourceMap& out) {
    const win32::UniqueHandle handle = OpenForReading(file);
    if (!handle.Valid()) return false;
    const auto size = RegularFileSize(handle.Get());
    detail::BlockPlace place;
    if (!size || !LoadBlock(handle.Get(), *size, place, out)) return false;
    AddTableResources(file, out);
    return true;
}

TableWrite WriteTableResource(const std::wstring& file, std::string_view name, const Bytes& data) {
    std::wstring type;
    WORD id = 0;
    if (!IsTableName(name) || !SplitTableName(name, type, id) || !MapAsData(file))
        return TableWrite::kNoTable;
    if (data.size() > MAXDWORD) return TableWrite::kFailed;
    HANDLE update = ::BeginUpdateResourceW(file.c_str(), FALSE);
    if (!update) return TableWrite::kFailed;
    // Language neutral, as the resource script writes it, so the entry is replaced, not doubled.
    const bool written =
        ::UpdateResourceW(update, type.c_str(), MAKEINTRESOURCEW(id), 0,
                          const_cast<std::uint8_t*>(data.data()), static_cast<DWORD>(data.size()));
    return ::EndUpdateResourceW(update, !written) && written ? TableWrite::kWritten
                                                             : TableWrite::kFailed;
}

bool WriteResources(const std::wstring& file, const ResourceMap& resources) {
    win32::UniqueHandle source = OpenForReading(file);
    const auto size = source.Valid() ? RegularFileSize(source.Get()) : std::nullopt;
    if (!size) return false;
    detail::BlockPlace place;
    ResourceMap old;
    // A damaged block hides where the program ends: refuse rather than guess.
    if (!LoadBlock(source.Get(), *size, place, old)) return false;
    const std::uint64_t programSize = place.present ? place.start : *size;

    std::random_device seed;
    const std::wstring temp = file + L".cvdres-" + std::to_wstring(seed() % 1000000000u);
    win32::UniqueHandle target(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.Valid()) return false;
    const Bytes block = detail::BuildResourceBlock(resources);
    const bool written = CopyPrefix(source.Get(), target.Get(), programSize) &&
                         win32::WriteAll(target.Get(), block.data(), block.size()) &&
                         ::FlushFileBuffers(target.Get()) && ::CloseHandle(target.Release());
    source = win32::UniqueHandle();  // the file is replaced next
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (!written || !::MoveFileExW(temp.c_str(), file.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        target = win32::UniqueHandle();
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) ::SetFileAttributesW(file.c_str(), attributes);
    return true;
}

const Bytes& OwnResource(std::string_view name) {
    static std::once_flag once;
    static ResourceMap appended;
    static std::mutex tableMutex;
    static auto* table = new std::map<std::string, Bytes, std::less<>>;
    static const Bytes empty;
    {
        std::lock_guard<std::mutex> lock(tableMutex);
        if (const auto cached = table->find(name); cached != table->end()) return cached->second;
        if (auto resource = TableResource(name))
            return table->emplace(std::string(name), std::move(*resource)).first->second;
    }
    std::call_once(once, [] {
        if (!ReadResources(ModulePath(), appended)) appended.clear();
    });
    const auto found = appended.find(std::string(name));
    return found == appended.end() ? empty : found->second;
}

}  // namespace platform
