// cvd-res: puts a skin package (and the window icon) into a built installer and takes the skin
// out again, so one binary serves many products without recompiling. A Windows installer keeps
// its skin in its resource table (rewritten by the Windows build of this tool), which its
// Authenticode signature covers: it is signed again afterwards.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileBytes.h"
#include "SkinSource.h"
#include "Utf8Main.h"
#include "platform/FsPath.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "toolkit/ZipArchive.h"

namespace {

using Args = std::vector<std::string>;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
    std::fprintf(stderr, "cvd-res: %s\n", message.c_str());
    return kFailed;
}

std::size_t EntryCount(const toolkit::Bytes& zip) {
    auto archive = toolkit::ZipArchive::FromMemory(zip.data(), zip.size());
    return archive ? archive->Entries().size() : 0;
}

// A skin without files would build an installer that cannot show a single window.
std::optional<toolkit::Bytes> LoadNonEmptySkin(const std::string& source, std::string& error) {
    auto zip = cvdtools::LoadSkinPackage(source, error);
    if (zip && EntryCount(*zip) == 0) {
        error = source + ": the skin package holds no files";
        return std::nullopt;
    }
    return zip;
}

int Pack(const Args& args) {
    const std::string& folder = args[0];
    const std::string& out = args[1];
    std::error_code ec;
    if (!std::filesystem::is_directory(platform::Utf8Path(folder), ec))
        return Fail(folder + ": not a folder");
    std::string error;
    auto zip = LoadNonEmptySkin(folder, error);
    if (!zip || !cvdtools::WriteFileAtomically(out, *zip, error)) return Fail(error);
    std::printf("packed %s into %s: %zu files, %zu bytes\n", folder.c_str(), out.c_str(),
                EntryCount(*zip), zip->size());
    return kOk;
}

// A Windows program ("MZ", then "PE\0\0" where the DOS header points): its skin lives in its
// resource table, which only the Windows build of this tool rewrites.
bool IsWindowsProgram(const std::string& file) {
    std::ifstream in(platform::Utf8Path(file), std::ios::binary);
    char header[0x40] = {};
    if (!in.read(header, sizeof header) || header[0] != 'M' || header[1] != 'Z') return false;
    std::uint32_t peOffset = 0;
    for (int i = 3; i >= 0; --i)
        peOffset = (peOffset << 8) | static_cast<std::uint8_t>(header[0x3C + i]);
    char signature[4] = {};
    return peOffset < (1u << 20) && in.seekg(peOffset) && in.read(signature, sizeof signature) &&
           std::string_view(signature, 4) == std::string_view("PE\0\0", 4);
}

constexpr const char* kTableOnWindows =
    ": a Windows program keeps its skin in its resource table; replace it with the Windows "
    "cvd-res.exe (under wine64 here)";

// The skin into the resource table of a Windows program; nothing when `installer` keeps its
// resources in the block instead.
std::optional<int> EmbedIntoTable(const std::string& installer, const toolkit::Bytes& zip) {
    switch (platform::WriteTableResource(platform::Utf8ToWide(installer), platform::kSkinResource,
                                         zip)) {
        case platform::TableWrite::kWritten:
            std::printf(
                "embedded the skin package into the resource table of %s: %zu files, %zu bytes\n"
                "%s is no longer signed as built: sign it again\n",
                installer.c_str(), EntryCount(zip), zip.size(), installer.c_str());
            return kOk;
        case platform::TableWrite::kFailed:
            return Fail(installer + ": cannot replace the skin package in its resource table");
        case platform::TableWrite::kNoTable:
            if (IsWindowsProgram(installer)) return Fail(installer + kTableOnWindows);
            return std::nullopt;
    }
    return std::nullopt;
}

int Embed(const Args& args) {
    const std::string& installer = args[0];
    std::string error;
    platform::ResourceMap resources;
    if (!cvdtools::ReadInstallerResources(installer, resources, error)) return Fail(error);
    auto zip = LoadNonEmptySkin(args[1], error);
    if (!zip) return Fail(error);
    if (const auto done = EmbedIntoTable(installer, *zip)) return *done;
    const std::size_t files = EntryCount(*zip);
    const std::size_t bytes = zip->size();
    resources[std::string(platform::kSkinResource)] = std::move(*zip);
    if (!platform::WriteResources(platform::Utf8ToWide(installer), resources))
        return Fail(installer + ": cannot write its resources");
    std::printf("embedded the skin package into %s: %zu files, %zu bytes\n", installer.c_str(),
                files, bytes);
    return kOk;
}

bool IsPng(const toolkit::Bytes& data) {
    static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data.size() > sizeof kSignature &&
           std::equal(std::begin(kSignature), std::end(kSignature), data.begin());
}

int Icon(const Args& args) {
    const std::string& installer = args[0];
    // Its icon is an icon group of the resource script, compiled in with the program.
    if (IsWindowsProgram(installer))
        return Fail(installer + ": a Windows program takes its icon from its resource script");
    std::string error;
    platform::ResourceMap resources;
    if (!cvdtools::ReadInstallerResources(installer, resources, error)) return Fail(error);
    auto icon = cvdtools::ReadFileBytes(args[1], error);
    if (!icon) return Fail(error);
    if (!IsPng(*icon)) return Fail(args[1] + ": not a PNG picture");
    const std::size_t bytes = icon->size();
    resources[std::string(platform::kIconResource)] = std::move(*icon);
    if (!platform::WriteResources(platform::Utf8ToWide(installer), resources))
        return Fail(installer + ": cannot write its resources");
    std::printf("embedded the window icon into %s: %zu bytes\n", installer.c_str(), bytes);
    return kOk;
}

int List(const Args& args) {
    const std::string& installer = args[0];
    std::string error;
    platform::ResourceMap resources;
    if (!cvdtools::ReadInstallerResources(installer, resources, error)) return Fail(error);
    std::printf("resources:%s\n", resources.empty() ? " none" : "");
    for (const auto& [name, data] : resources)
        std::printf("  %-12s %zu bytes\n", name.c_str(), data.size());
    const auto skin = resources.find(std::string(platform::kSkinResource));
    if (skin == resources.end()) return kOk;
    auto archive = toolkit::ZipArchive::FromMemory(skin->second.data(), skin->second.size());
    if (!archive) return Fail(installer + ": its skin package is not a readable zip archive");
    const auto entries = archive->Entries();
    std::printf("skin package (%zu files):\n", entries.size());
    for (const std::string& entry : entries) std::printf("  %s\n", entry.c_str());
    return kOk;
}

int Extract(const Args& args) {
    std::string error;
    auto zip = cvdtools::ReadInstallerSkin(args[0], error);
    if (!zip || !cvdtools::WriteFileAtomically(args[1], *zip, error)) return Fail(error);
    std::printf("extracted the skin package (%zu bytes) to %s\n", zip->size(), args[1].c_str());
    return kOk;
}

struct Command {
    std::string_view name;
    std::string_view arguments;
    std::size_t argument_count;
    int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"pack", "SKIN_DIR OUT.zip", 2, Pack},
    {"embed", "INSTALLER SKIN(.zip|dir|installer)", 2, Embed},
    {"icon", "INSTALLER ICON.png", 2, Icon},
    {"list", "INSTALLER", 1, List},
    {"extract", "INSTALLER OUT.zip", 2, Extract},
};

int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  cvd-res %.*s %.*s\n", static_cast<int>(command.name.size()),
                     command.name.data(), static_cast<int>(command.arguments.size()),
                     command.arguments.data());
    return kUsage;
}

}  // namespace

int Utf8Main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::vector<std::string> all = std::vector<std::string>(argv, argv + argc);
    const std::string_view name = all[1];
    const Args args(all.begin() + 2, all.end());
    for (const Command& command : kCommands) {
        if (command.name != name) continue;
        if (args.size() != command.argument_count) return Usage();
        return command.run(args);
    }
    std::fprintf(stderr, "cvd-res: unknown command '%.*s'\n", static_cast<int>(name.size()),
                 name.data());
    return Usage();
}
