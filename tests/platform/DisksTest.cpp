#include <gtest/gtest.h>

#include "TempEnv.h"
#include "platform/Disks.h"
#include "platform/FsPath.h"

namespace {

TEST(Disks, FreeBytesWalksUpToAnExistingFolder) {
    cvdtest::TempEnv env;
    const auto here = platform::FreeBytes(platform::WidePath(env.Tmp()));
    ASSERT_TRUE(here.has_value());
    const auto below = platform::FreeBytes(platform::WidePath(env.Tmp() / "not/yet/created"));
    ASSERT_TRUE(below.has_value());
    // Same file system; the amounts may differ by what other programs write meanwhile.
    EXPECT_GT(*here, 0u);
    EXPECT_FALSE(platform::FreeBytes(L"").has_value());
    EXPECT_GE(platform::VolumeBytes(platform::WidePath(env.Tmp())).value_or(0), *here);
}

}  // namespace
