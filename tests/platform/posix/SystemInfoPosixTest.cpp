#include <gtest/gtest.h>

#include "SystemInfoText.h"

namespace {

TEST(SystemInfo, ParsesOsRelease) {
    const auto release = platform::posix::ParseOsRelease(
        "# comment\n"
        "NAME=\"Debian GNU/Linux\"\n"
        "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
        "VERSION_ID=\"12\"\n"
        "ID=debian\n");
    EXPECT_EQ(release.name, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(release.version, "12");
}

TEST(SystemInfo, OsReleaseFallbacksAndQuoting) {
    auto release = platform::posix::ParseOsRelease("NAME=Fedora\nVERSION_ID=40\n");
    EXPECT_EQ(release.name, "Fedora");
    EXPECT_EQ(release.version, "40");
    release = platform::posix::ParseOsRelease("NAME='Arch Linux'\nBUILD_ID=rolling\n");
    EXPECT_EQ(release.name, "Arch Linux");
    EXPECT_EQ(release.version, "");
    release = platform::posix::ParseOsRelease("PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\r\n");
    EXPECT_EQ(release.name, "Say \"hi\" $HOME");
    release = platform::posix::ParseOsRelease("");
    EXPECT_EQ(release.name, "Linux");
    EXPECT_EQ(release.version, "");
    release = platform::posix::ParseOsRelease("garbage\n=\nPRETTY_NAME=\n");
    EXPECT_EQ(release.name, "Linux");
}

TEST(SystemInfo, ParsesDefaultRouteInterface) {
    const char* table =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "wlan0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n"
        "eth1\t00000000\t0102A8C0\t0002\t0\t0\t10\t00000000\t0\t0\t0\n"  // not up
        "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n";
    EXPECT_EQ(platform::posix::ParseDefaultRouteInterface(table), "eth0");  // lowest metric
    EXPECT_EQ(platform::posix::ParseDefaultRouteInterface(
                  "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
                  "lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\n"),
              "");
    EXPECT_EQ(platform::posix::ParseDefaultRouteInterface(""), "");
    EXPECT_EQ(platform::posix::ParseDefaultRouteInterface("short line\n"), "");
}

}  // namespace
