#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempEnv.h"
#include "platform/FsPath.h"
#include "platform/Resources.h"

namespace {

namespace fs = std::filesystem;
using platform::Bytes;
using platform::ResourceMap;

Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

void PutLe(std::string& out, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) out += static_cast<char>(value >> (8 * i));
}

std::string Trailer(std::uint32_t count, std::uint64_t length) {
    std::string out;
    PutLe(out, count, 4);
    PutLe(out, length, 8);
    return out + "CVDRES01";
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        program = std::string(
            "\x7F"
            "ELF fake program body\0\1\2",
            26);
        path = env.WriteFile("bin/installer", program);
        fs::permissions(path, fs::perms(0751));
        wide = platform::WidePath(path);
    }

    cvdtest::TempEnv env;
    std::string program;
    fs::path path;
    std::wstring wide;
};

TEST_F(Resources, FileWithoutBlockReadsEmpty) {
    ResourceMap map{{"stale", Of("x")}};
    ASSERT_TRUE(platform::ReadResources(wide, map));
    EXPECT_TRUE(map.empty());
    ResourceMap missing;
    EXPECT_FALSE(platform::ReadResources(wide + L".missing", missing));
}

TEST_F(Resources, RoundTripKeepsTheProgram) {
    Bytes big(300000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31);
    const ResourceMap resources{{std::string(platform::kSkinResource), big},
                                {std::string(platform::kIconResource), Of("icon")},
                                {"empty", Bytes()}};
    ASSERT_TRUE(platform::WriteResources(wide, resources));
    ResourceMap read;
    ASSERT_TRUE(platform::ReadResources(wide, read));
    EXPECT_EQ(read, resources);
    const std::string file = cvdtest::ReadFile(path);
    EXPECT_EQ(file.substr(0, program.size()), program);
    EXPECT_EQ(file.substr(file.size() - 8), "CVDRES01");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()),
              1);
}

TEST_F(Resources, LayoutMatchesTheHeader) {
    ASSERT_TRUE(platform::WriteResources(wide, {{"ab", Of("xyz")}}));
    std::string block;
    PutLe(block, 2, 4);
    block += "ab";
    PutLe(block, 3, 8);
    block += "xyz";
    EXPECT_EQ(cvdtest::ReadFile(path), program + block + Trailer(1, block.size()));
}

TEST_F(Resources, ReplaceStripsTheOldBlock) {
    ASSERT_TRUE(platform::WriteResources(wide, {{"a", Of("first version, long")}, {"b", Of("2")}}));
    ASSERT_TRUE(platform::WriteResources(wide, {{"a", Of("second")}}));
    ResourceMap read;
    ASSERT_TRUE(platform::ReadResources(wide, read));
    EXPECT_EQ(read, (ResourceMap{{"a", Of("second")}}));
    ASSERT_TRUE(platform::WriteResources(wide, {}));  // removes the block entirely
    EXPECT_EQ(cvdtest::ReadFile(path), program);
}

TEST_F(Resources, DamagedBlocksAreRefused) {
    std::string good;
    PutLe(good, 1, 4);
    good += "n";
    PutLe(good, 2, 8);
    good += "ok";
    const struct {
        const char* label;
        std::string tail;
    } rows[] = {
        {"length beyond file", Trailer(1, 1u << 30)},
        {"huge length", Trailer(1, ~0ull)},
        {"huge count", Trailer(0xFFFFFFFFu, good.size())},
        {"count too high", good + Trailer(2, good.size())},
        {"count too low", good + Trailer(0, good.size())},
        {"data length beyond block", good.substr(0, 5) +
                                         std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 8) + "ok" +
                                         Trailer(1, good.size())},
        {"name length beyond block",
         std::string("\xFF\xFF\xFF\xFF", 4) + good.substr(4) + Trailer(1, good.size())},
        {"duplicate names", good + good + Trailer(2, 2 * good.size())},
    };
    for (const auto& row : rows) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << program << row.tail;
        ResourceMap read;
        EXPECT_FALSE(platform::ReadResources(wide, read)) << row.label;
        EXPECT_FALSE(platform::WriteResources(wide, {{"x", Of("y")}})) << row.label;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << program << good << Trailer(1, good.size());
    ResourceMap read;
    ASSERT_TRUE(platform::ReadResources(wide, read));
    EXPECT_EQ(read, (ResourceMap{{"n", Of("ok")}}));
}

TEST_F(Resources, OwnResourceOfTheTestProgramIsAbsent) {
    EXPECT_TRUE(platform::OwnResource(platform::kSkinResource).empty());
    EXPECT_EQ(&platform::OwnResource("nothing"), &platform::OwnResource("other"));
}

}  // namespace
