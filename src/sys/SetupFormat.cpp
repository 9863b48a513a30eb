#include "sys/SetupFormat.h"

#include <zip.h>

#include "sys/LengthTrailer.h"
#include "sys/SignatureBlock.h"

namespace FuntionImpl {

std::optional<PayloadSpan> FindPayload(std::istream& in, std::uint64_t fileSize) {
    std::uint64_t end = fileSize;
    if (const auto block = FindSignatureBlock(in, fileSize)) end = block->signedLength;
    const auto length = ReadLengthTrailer(in, end, kSetupMagic);
    if (!length) return std::nullopt;
    return PayloadSpan{end - kSetupTrailerSize - *length, *length};
}

std::string SetupTrailer(std::uint64_t payloadLength) {
    return LengthTrailer(payloadLength, kSetupMagic);
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
