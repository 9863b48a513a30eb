// The picture check content uses for downloaded banners, on whichever decoder the build has:
// the cases both decoders agree on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/ImageCheck.h"

namespace {

// A 2x2 RGBA PNG: one red row, one half-transparent green row.
const std::vector<std::uint8_t> kPng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72,
    0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
    0xcf, 0xc0, 0xf0, 0x1f, 0x84, 0x41, 0xa8, 0x01, 0x84, 0x01, 0x42, 0xd2, 0x06, 0xfb, 0xce,
    0x08, 0x0a, 0x2e, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool decodable;
};

TEST(ImageCheckTest, OnlyWholePicturesDecode) {
    const std::vector<Case> cases = {
        {"a whole PNG", kPng, true},
        {"a PNG cut inside its header", {kPng.begin(), kPng.begin() + 20}, false},
        {"a PNG signature alone", {kPng.begin(), kPng.begin() + 8}, false},
        {"text named like a picture", Bytes("this is no picture\n"), false},
        {"no bytes", {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toolkit::IsDecodableImage(c.bytes), c.decodable) << c.name;
}

}  // namespace
