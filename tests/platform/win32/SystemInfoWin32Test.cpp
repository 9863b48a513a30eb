#include <gtest/gtest.h>

#include <cctype>

#include "platform/Locale.h"
#include "platform/SystemInfo.h"

namespace {

TEST(SystemInfo, WindowsFacts) {
    const platform::OsVersion os = platform::ReadOsVersion();
    EXPECT_GE(os.major, 6u);
    EXPECT_EQ(os.name.rfind("Windows", 0), 0u) << os.name;
    if (os.major == 10 && os.workstation) {
        EXPECT_EQ(os.name, os.build >= 22000 ? "Windows 11" : "Windows 10");
    }
    // The volume GUID between its braces, and the serial in upper-case hexadecimal.
    const std::string id = platform::MachineId();
    ASSERT_EQ(id.size(), 36u) << id;
    EXPECT_EQ(id[8], '-');
    EXPECT_EQ(id.find_first_not_of("0123456789abcdefABCDEF-"), std::string::npos) << id;
    const std::string serial = platform::SystemVolumeId();
    EXPECT_FALSE(serial.empty());
    EXPECT_EQ(serial.find_first_not_of("0123456789ABCDEF"), std::string::npos) << serial;
    EXPECT_NE(serial.front(), '0');
    EXPECT_NE(platform::UserUiLanguage(), 0);
}

}  // namespace
