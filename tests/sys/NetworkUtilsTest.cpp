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
    const int ms = PingUrl(L"127.0.0.1", 1);
    EXPECT_GT(ms, 0);
    EXPECT_LT(ms, 1000);
}

TEST(PingUrl, NoReplyGivesMinusThree) {
    // ping refuses the broadcast address without sending anything.
    EXPECT_EQ(PingUrl(L"255.255.255.255", 1), -3);
}

TEST(PingUrl, RunsPingInTheCLocaleWhoseRepliesItReads) {
    cvdtest::TempEnv env;
    // A ping that answers in the language of its locale, as a translated one does.
    const auto ping = env.WriteFile("bin/ping",
                                    "#!/bin/sh\n"
                                    "if [ \"$LC_ALL\" = C ]; then t=time; else t=Zeit; fi\n"
                                    "echo \"64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 $t=7 ms\"\n"
                                    "echo \"64 bytes from 127.0.0.1: icmp_seq=2 ttl=64 $t=9 ms\"\n");
    std::filesystem::permissions(ping, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    env.Set("PATH", ping.parent_path().string() + ":" + (path ? path : "/usr/bin:/bin"));
    env.Set("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(PingUrl(L"127.0.0.1", 0), 8);
}

TEST(ProxyConfig, TheHighestSetValueWins) {
    EXPECT_EQ(ProxyConfigLevel({}), 0);
    EXPECT_EQ(ProxyConfigLevel({"http://wpad/proxy.pac", "", ""}), 1);
    EXPECT_EQ(ProxyConfigLevel({"http://wpad/proxy.pac", "proxy:3128", ""}), 2);
    EXPECT_EQ(ProxyConfigLevel({"", "proxy:3128", "localhost,.corp"}), 3);
}

TEST(ProxyConfig, EnvironmentProxyAndBypassListAreRead) {
    cvdtest::TempEnv env;
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "http_proxy", "HTTP_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        env.Set(name, std::nullopt);
    env.Set("HTTP_PROXY", "http://127.0.0.1:3128");
    env.Set("no_proxy", "localhost,127.0.0.1");
    const ProxyConfig config = ReadProxyConfig();
    EXPECT_EQ(config.proxy, "http://127.0.0.1:3128");
    EXPECT_EQ(config.bypass, "localhost,127.0.0.1");
    EXPECT_EQ(GetIEProxyConfig(), 3);
}

TEST(AuthorizeInFirewall, ReportsNotReachableOnLinux) {
    EXPECT_EQ(AuthorizeInFirewall(L"/opt/product/cvdownloader"), -1);
}

}  // namespace
