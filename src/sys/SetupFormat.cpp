#include "sys/SetupFormat.h"

#include <zip.h>

#include <cstring>

#include "sys/SignatureBlock.h"

namespace FuntionImpl {

std::optional<PayloadSpan> FindPayload(std::istream& in, std::uint64_t fileSize) {
    std::uint64_t end = fileSize;
    if (const auto block = FindSignatureBlock(in, fileSize)) end = block->signedLength;
    if (end < kSetupTrailerSize) return std::nullopt;
    unsigned char trailer[kSetupTrailerSize];
    in.clear();
    in.seekg(static_cast<std::streamoff>(end - kSetupTrailerSize));
    if (!in.read(reinterpret_cast<char*>(trailer), sizeof trailer)) return std::nullopt;
    if (std::memcmp(trailer + 8, kSetupMagic, sizeof kSetupMagic) != 0) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) length = length << 8 | trailer[i];
    if (length == 0 || length > end - kSetupTrailerSize) return std::nullopt;
    return PayloadSpan{end - kSetupTrailerSize - length, length};
}

std::string SetupTrailer(std::uint64_t payloadLength) {
    std::string trailer(kSetupTrailerSize, '\0');
    for (int i = 0; i < 8; ++i) trailer[i] = static_cast<char>(payloadLength >> (8 * i) & 0xFF);
    std::memcpy(trailer.data() + 8, kSetupMagic, sizeof kSetupMagic);
    return trailer;
}

void PayloadArchiveDiscard::operator()(zip* archive) const { zip_discard(archive); }

PayloadArchive OpenPayloadArchive(const std::string& setupFile, PayloadSpan span,
                                  std::string& why) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(setupFile.c_str(), span.offset,
                                                  static_cast<zip_int64_t>(span.length), &error);
    PayloadArchive archive(source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error)
                                  : nullptr);
    if (!archive) {
        if (source) zip_source_free(source);
        why = zip_error_strerror(&error);
    }
    zip_error_fini(&error);
    return archive;
}

}  // namespace FuntionImpl
