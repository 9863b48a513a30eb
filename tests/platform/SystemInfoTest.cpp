#include <gtest/gtest.h>

#include "platform/SystemInfo.h"

namespace {

TEST(SystemInfo, MachineFactsAreSane) {
    EXPECT_GE(platform::ProcessorCount(), 1u);
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(platform::Is64BitSystem());
    }
    const std::string id = platform::MachineId();
    EXPECT_TRUE(id.empty() || (id.size() >= 32 && id.find_first_not_of("0123456789abcdefABCDEF-") ==
                                                      std::string::npos))
        << id;
    const std::string mac = platform::DefaultRouteMac();
    EXPECT_TRUE(mac.empty() || mac.size() == 17) << mac;
    EXPECT_FALSE(platform::ReadOsVersion().name.empty());
    EXPECT_FALSE(platform::ComputerName().empty());
    const std::string volume = platform::SystemVolumeId();  // often empty in containers
    EXPECT_EQ(volume.find_first_of("/\\"), std::string::npos) << volume;
}

}  // namespace
