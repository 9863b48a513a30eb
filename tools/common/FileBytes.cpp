#include "FileBytes.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FsPath.h"

namespace cvdtools {
namespace fs = std::filesystem;

std::optional<toolkit::Bytes> ReadFileBytes(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(platform::Utf8Path(path), ec)) {
        error = path + ": not a readable file";
        return std::nullopt;
    }
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    toolkit::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": read error";
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileAtomically(const std::string& path, const toolkit::Bytes& bytes, std::string& error) {
    const fs::path target = platform::Utf8Path(path);
    const fs::path temporary = platform::Utf8Path(path + ".partial");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        if (out) out.close();
        if (!out) {
            error = path + ": cannot write (" + std::strerror(errno) + ")";
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        error = path + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace cvdtools
