#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/FsPath.h"
#include "platform/Resources.h"

namespace {

namespace fs = std::filesystem;

TEST(ResourceWriting, KeepsTheMode) {
    cvdtest::TempEnv env;
    const fs::path path = env.WriteFile("bin/installer",
                                        "\x7F"
                                        "ELF body");
    fs::permissions(path, fs::perms(0751));
    ASSERT_TRUE(platform::WriteResources(platform::WidePath(path), {{"a", {1, 2, 3}}}));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0751));
}

}  // namespace
