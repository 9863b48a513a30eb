#include <gtest/gtest.h>

#include <string>

#include "platform/Crypto.h"

namespace {

using platform::DigestKind;

struct DigestCase {
    const char* name;
    DigestKind kind;
    std::string input;
    const char* hex;
};

const std::string kMillionA(1000000, 'a');

TEST(Crypto, DigestsMatchTheirPublishedValues) {
    const DigestCase cases[] = {
        {"md5 empty", DigestKind::Md5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {"md5 abc", DigestKind::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"md5 fox", DigestKind::Md5, "The quick brown fox jumps over the lazy dog",
         "9e107d9d372bb6826bd81d3542a419d6"},
        {"md5 million a", DigestKind::Md5, kMillionA, "7707d6ae4e027c70eea2a935c2296f21"},
        {"sha256 empty", DigestKind::Sha256, "",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"sha256 abc", DigestKind::Sha256, "abc",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"sha256 million a", DigestKind::Sha256, kMillionA,
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const DigestCase& c : cases) {
        EXPECT_EQ(platform::DigestHex(c.kind, c.input), c.hex) << c.name;
    }
}

// A file is digested block by block: pieces of any size give the digest of the whole.
TEST(Crypto, StreamedInputGivesTheDigestOfTheWhole) {
    for (const auto& [kind, hex] :
         {std::pair{DigestKind::Md5, "7707d6ae4e027c70eea2a935c2296f21"},
          std::pair{DigestKind::Sha256,
                    "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}}) {
        platform::Digest digest(kind);
        std::string_view rest(kMillionA);
        for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 + 1) {
            const std::size_t take = std::min(piece, rest.size());
            digest.Update(rest.substr(0, take));
            digest.Update({});  // empty pieces change nothing
            rest.remove_prefix(take);
        }
        const auto raw = digest.Finish();
        ASSERT_TRUE(raw.has_value());
        EXPECT_EQ(platform::LowerHex(*raw), hex);
    }
}

TEST(Crypto, LargeStreamedInputMatchesTheOneShotDigest) {
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    platform::Digest streamed(DigestKind::Md5);
    std::string whole;
    for (int i = 0; i < 64; ++i) {
        block[0] = static_cast<char>(i);
        streamed.Update(block);
        whole += block;
    }
    const auto raw = streamed.Finish();
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->size(), 16u);
    EXPECT_EQ(platform::LowerHex(*raw), platform::DigestHex(DigestKind::Md5, whole));
}

TEST(Crypto, AFinishedDigestGivesNothingMore) {
    platform::Digest digest(DigestKind::Sha256);
    digest.Update("abc");
    ASSERT_TRUE(digest.Finish().has_value());
    EXPECT_FALSE(digest.Finish().has_value());
}

TEST(Crypto, Base64MatchesTheStandardVectorsBothWays) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\0\xff\xfe", 3), "AP/+"},
        {"http://127.0.0.1:8080/json/", "aHR0cDovLzEyNy4wLjAuMTo4MDgwL2pzb24v"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(platform::EncodeBase64(bytes), text) << text;
        EXPECT_EQ(platform::DecodeBase64(text), bytes) << text;
    }
}

TEST(Crypto, Base64CarriesEveryByteValueAndLongInputWithoutLineBreaks) {
    std::string bytes;
    for (int round = 0; round < 40; ++round)
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    const std::string text = platform::EncodeBase64(bytes);
    EXPECT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(platform::DecodeBase64(text), bytes);
}

TEST(Crypto, Base64RefusesEveryTextThatIsNotExactlyBase64) {
    for (const char* text : {"Zg=", "Zg=a", "Z===", "====", "Zg==Zg==", "Zm9v\n", " Zm9v", "Zm9v ",
                             "Zm9-", "Zm9_", "Zm\r\n9v", "not base64!", "Zm9vYmFy===="}) {
        EXPECT_FALSE(platform::IsCanonicalBase64(text)) << text;
        EXPECT_FALSE(platform::DecodeBase64(text).has_value()) << text;
    }
}

}  // namespace
