#include "ToolkitTestSupport.h"

#include <zlib.h>

#include <fstream>

#include <zip.h>

#include <stdexcept>

namespace toolkit {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, static_cast<std::uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                static_cast<uInt>(body.size()))));
}

}  // namespace

bool WriteSolidPng(const std::filesystem::path& path, int w, int h, std::uint32_t argb) {
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(w));
    PutBigEndian(header, static_cast<std::uint32_t>(h));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, no interlace
    std::string rows;
    for (int y = 0; y < h; ++y) {
        rows += '\0';  // no filter
        for (int x = 0; x < w; ++x) {
            rows += static_cast<char>((argb >> 16) & 0xFF);
            rows += static_cast<char>((argb >> 8) & 0xFF);
            rows += static_cast<char>(argb & 0xFF);
            rows += static_cast<char>(argb >> 24);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                 reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size())) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}


Bytes StoredZip(const std::string& name, const std::string& content) {
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (!archive) throw std::runtime_error("cannot create a zip in memory");
    zip_source_keep(buffer);
    zip_source_t* entry = zip_source_buffer(archive, content.data(), content.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), entry, ZIP_FL_ENC_RAW);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    if (zip_close(archive) != 0) throw std::runtime_error("cannot write the zip");
    zip_stat_t st;
    zip_source_stat(buffer, &st);
    Bytes out(st.size);
    zip_source_open(buffer);
    zip_source_read(buffer, out.data(), out.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    return out;
}

}  // namespace toolkit
