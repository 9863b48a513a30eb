// A setup finds its payload behind its program whether the file is unsigned, carries our
// signature block, or is a PE image signed with Authenticode (certificate table at the end).
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "sys/SetupFormat.h"
#include "sys/SignatureBlock.h"

namespace {

using FuntionImpl::FindPayload;
using FuntionImpl::PayloadSpan;

void PutLe(std::string& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// The headers of a PE image as far as the data directories, padded to 1024 bytes.
std::string PeImage(bool plus, std::uint32_t directories = 16) {
    std::string image(1024, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    const std::size_t pe = 0x80;
    PutLe(image, 0x3C, pe, 4);
    image.replace(pe, 4, std::string("PE\0\0", 4));
    PutLe(image, pe + 24, plus ? 0x20b : 0x10b, 2);
    PutLe(image, pe + 24 + (plus ? 108 : 92), directories, 4);
    return image;
}

std::size_t SecurityEntry(bool plus) { return 0x80 + 24 + (plus ? 112 : 96) + 4 * 8; }

struct SetupFile {
    std::string bytes;
    PayloadSpan payload;
};

// Program, payload and trailer, then `padding` zero bytes and a certificate table of
// `tableSize` bytes that the security directory names (nothing when 0).
SetupFile SignedPe(bool plus, int padding, std::uint32_t tableSize) {
    SetupFile setup{PeImage(plus), {}};
    const std::string payload = "PK-payload-bytes";
    setup.payload = {setup.bytes.size(), payload.size()};
    setup.bytes += payload + FuntionImpl::SetupTrailer(payload.size());
    setup.bytes.append(static_cast<std::size_t>(padding), '\0');
    if (tableSize) {
        PutLe(setup.bytes, SecurityEntry(plus), setup.bytes.size(), 4);
        PutLe(setup.bytes, SecurityEntry(plus) + 4, tableSize, 4);
        setup.bytes.append(tableSize, '\x30');
    }
    return setup;
}

std::optional<PayloadSpan> Find(const std::string& bytes) {
    std::istringstream in(bytes);
    return FindPayload(in, bytes.size());
}

TEST(SetupFormat, ThePayloadIsFoundBeforeAnAuthenticodeCertificateTable) {
    const struct {
        const char* name;
        bool plus;
        int padding;
        std::uint32_t tableSize;
    } rows[] = {
        {"unsigned PE32", false, 0, 0},
        {"PE32 signed, no alignment needed", false, 0, 1200},
        {"PE32+ signed after 5 alignment bytes", true, 5, 1200},
        {"PE32+ signed after 7 alignment bytes", true, 7, 8},
    };
    for (const auto& row : rows) {
        const SetupFile setup = SignedPe(row.plus, row.padding, row.tableSize);
        const auto found = Find(setup.bytes);
        ASSERT_TRUE(found) << row.name;
        EXPECT_EQ(found->offset, setup.payload.offset) << row.name;
        EXPECT_EQ(found->length, setup.payload.length) << row.name;
    }
}

TEST(SetupFormat, ACertificateTableThatDoesNotFitTheFileHidesNoPayload) {
    const struct {
        const char* name;
        std::uint64_t offsetDelta;  // added to the table's true offset
        std::uint64_t size;
    } rows[] = {
        {"size past the end", 0, 0xFFFFFFF0},
        {"offset past the end", 0x7FFFFFFF, 1200},
        {"table that does not end the file", 0, 1199},
    };
    for (const auto& row : rows) {
        SetupFile setup = SignedPe(false, 0, 1200);
        const std::uint64_t start = setup.bytes.size() - 1200;
        PutLe(setup.bytes, SecurityEntry(false), start + row.offsetDelta, 4);
        PutLe(setup.bytes, SecurityEntry(false) + 4, row.size, 4);
        EXPECT_FALSE(Find(setup.bytes)) << row.name;
    }
    // More than 7 bytes between the trailer and the table is no alignment.
    EXPECT_FALSE(Find(SignedPe(false, 8, 1200).bytes));
    // A directory table too short to hold the security entry names no table.
    SetupFile shortTable = SignedPe(false, 0, 1200);
    PutLe(shortTable.bytes, 0x80 + 24 + 92, 4, 4);
    EXPECT_FALSE(Find(shortTable.bytes));
}

TEST(SetupFormat, OurSignatureBlockStillComesFirst) {
    SetupFile setup = SignedPe(false, 0, 0);
    const std::string signature(300, '\x30');
    setup.bytes += signature + FuntionImpl::SignatureTrailer(signature.size());
    const auto found = Find(setup.bytes);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, setup.payload.offset);
}

}  // namespace
