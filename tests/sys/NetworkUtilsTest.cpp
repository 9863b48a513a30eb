#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TempEnv.h"
#include "sys/NetworkUtils.h"

namespace {

using namespace FuntionImpl;

TEST(PingReplies, TakesEveryTimeValueRoundedUpToWholeMilliseconds) {
    PingReplies replies;
    AddPingReplies(
        "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
        "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.043 ms\n"
        "64 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=15.2 ms\n"
        "64 bytes from 127.0.0.1: icmp_seq=3 ttl=64 time=20 ms\n"
        "rtt min/avg/max/mdev = 0.043/0.050/0.061/0.007 ms\n",
        replies);
    EXPECT_EQ(replies.count, 3);
    EXPECT_EQ(replies.sumMs, 1 + 16 + 20);

    PingReplies none;
    AddPingReplies("From 10.0.0.1 icmp_seq=1 Destination Host Unreachable\ntime=\n", none);
    EXPECT_EQ(none.count, 0);
}

// Windows' ping, read as the system's cmd.exe route does: the number after the "=" nearest
// before each "TTL=", whatever the language of the rest of the line.
TEST(PingReplies, WindowsRepliesAreReadBeforeTheirTtl) {
    struct Case {
        const char* output;
        int count;
        long long sumMs;
    };
    const Case cases[] = {
        {"Reply from 10.0.0.1: bytes=32 time=15ms TTL=54\r\n"
         "Reply from 10.0.0.1: bytes=32 time=21ms TTL=54\r\n",
         2, 36},
        {"Antwort von 10.0.0.1: Bytes=32 Zeit=7ms TTL=54\r\n", 1, 7},
        {"Reply from 127.0.0.1: bytes=32 time<1ms TTL=128\r\n", 1, 32},
        {"Request timed out.\r\nPing statistics for 10.0.0.1:\r\n", 0, 0},
        {"TTL=", 0, 0},
    };
    for (const Case& c : cases) {
        PingReplies replies;
        AddTtlPingReplies(c.output, replies);
        EXPECT_EQ(replies.count, c.count) << c.output;
        EXPECT_EQ(replies.sumMs, c.sumMs) << c.output;
    }
}

TEST(PingUrl, LoopbackAnswersWithASmallPositiveTime) {
    // No time limit: where starting the ping program is slow (under Wine it goes through cmd.exe),
    // a one-second budget can pass before the first reply.
    const int ms = PingUrl(L"127.0.0.1", 0);
    EXPECT_GT(ms, 0);
    EXPECT_LT(ms, 1000);
}

TEST(PingUrl, NoReplyGivesMinusThree) {
    // ping refuses the broadcast address without sending anything.
    EXPECT_EQ(PingUrl(L"255.255.255.255", 1), -3);
}

TEST(ProxyConfig, TheHighestSetValueWins) {
    EXPECT_EQ(ProxyConfigLevel({}), 0);
    EXPECT_EQ(ProxyConfigLevel({"http://wpad/proxy.pac", "", ""}), 1);
    EXPECT_EQ(ProxyConfigLevel({"http://wpad/proxy.pac", "proxy:3128", ""}), 2);
    EXPECT_EQ(ProxyConfigLevel({"", "proxy:3128", "localhost,.corp"}), 3);
}

TEST(AuthorizeInFirewall, ReportsNotReachableOnLinux) {
    EXPECT_EQ(AuthorizeInFirewall(L"/opt/product/cvdownloader"), -1);
}

}  // namespace
