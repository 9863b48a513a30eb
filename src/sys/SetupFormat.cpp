#include "sys/SetupFormat.h"

#include <zip.h>

#include <cerrno>

#include "platform/Files.h"
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

// The file is opened here from its wide path (libzip would open a narrow name in the ANSI code
// page on Windows); the source owns it from then on.
PayloadArchive OpenPayloadArchive(const std::wstring& setupFile, PayloadSpan span,
                                  std::string& why) {
    zip_error_t error;
    zip_error_init(&error);
    platform::FilePtr file = platform::OpenFile(setupFile, "rb");
    if (!file) zip_error_set(&error, ZIP_ER_OPEN, errno);
    zip_source_t* source =
        file ? zip_source_filep_create(file.get(), span.offset,
                                       static_cast<zip_int64_t>(span.length), &error)
             : nullptr;
    if (source) file.release();
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
