#include "sys/SetupFormat.h"

#include <zip.h>

#include <cerrno>

#include "platform/Files.h"
#include "sys/LengthTrailer.h"
#include "sys/SignatureBlock.h"

namespace FuntionImpl {
namespace {

// Little-endian numbers of a PE image at `at`; nothing past `fileSize` or on a read error.
std::optional<std::uint32_t> ReadLe(std::istream& in, std::uint64_t fileSize, std::uint64_t at,
                                    int bytes) {
    if (at > fileSize || fileSize - at < static_cast<std::uint64_t>(bytes)) return std::nullopt;
    unsigned char data[4] = {};
    in.clear();
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(reinterpret_cast<char*>(data), bytes)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | data[i];
    return value;
}

constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::uint32_t kSecurityDirectory = 4;

// Where a PE file's Authenticode certificate table begins, when the file is a PE image whose
// table ends the file; nothing otherwise.
std::optional<std::uint64_t> CertificateTableStart(std::istream& in, std::uint64_t fileSize) {
    const auto mz = ReadLe(in, fileSize, 0, 2);
    const auto peAt = ReadLe(in, fileSize, 0x3C, 4);
    if (!mz || *mz != 0x5A4D || !peAt) return std::nullopt;
    const auto signature = ReadLe(in, fileSize, *peAt, 4);
    if (!signature || *signature != 0x00004550) return std::nullopt;  // "PE\0\0"
    const std::uint64_t optional = std::uint64_t{*peAt} + 24;
    const auto magic = ReadLe(in, fileSize, optional, 2);
    if (!magic || (*magic != kPe32Magic && *magic != kPe32PlusMagic)) return std::nullopt;
    const std::uint64_t countAt = optional + (*magic == kPe32Magic ? 92 : 108);
    const auto count = ReadLe(in, fileSize, countAt, 4);
    if (!count || *count <= kSecurityDirectory) return std::nullopt;
    const std::uint64_t entry = countAt + 4 + 8 * kSecurityDirectory;
    const auto offset = ReadLe(in, fileSize, entry, 4);
    const auto size = ReadLe(in, fileSize, entry + 4, 4);
    if (!offset || !size || *size == 0 || *offset > fileSize || fileSize - *offset != *size)
        return std::nullopt;
    return *offset;
}

// The setup trailer ending at `end`, or before the zero bytes (at most 7) with which the
// Authenticode signer aligns the signed bytes to 8.
std::optional<PayloadSpan> TrailerBefore(std::istream& in, std::uint64_t end, int maxPadding) {
    for (int padding = 0; padding <= maxPadding; ++padding, --end) {
        if (const auto length = ReadLengthTrailer(in, end, kSetupMagic))
            return PayloadSpan{end - kSetupTrailerSize - *length, *length};
        const auto last = end > 0 ? ReadLe(in, end, end - 1, 1) : std::nullopt;
        if (!last || *last != 0) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PayloadSpan> FindPayload(std::istream& in, std::uint64_t fileSize) {
    if (const auto block = FindSignatureBlock(in, fileSize))
        return TrailerBefore(in, block->signedLength, 0);
    if (const auto table = CertificateTableStart(in, fileSize)) return TrailerBefore(in, *table, 7);
    return TrailerBefore(in, fileSize, 0);
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
