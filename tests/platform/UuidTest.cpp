#include <gtest/gtest.h>

#include <set>

#include "platform/Uuid.h"

namespace {

// The bytes are in text order on every system: the version digit is the first of the third
// group and the variant the first of the fourth, which a GUID copied from memory as it lies on
// Windows (little-endian fields) would get wrong.
TEST(Uuid, NewIdsAreRandomVersion4InTextOrderAndDistinct) {
    std::set<platform::Uuid> seen;
    for (int i = 0; i < 64; ++i) {
        const auto id = platform::NewUuid();
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ((*id)[6] >> 4, 4) << "version";
        EXPECT_EQ((*id)[8] & 0xC0, 0x80) << "variant";
        seen.insert(*id);
    }
    EXPECT_EQ(seen.size(), 64u);
}

}  // namespace
