// The ping program and proxy settings as a Linux system offers them: a ping found on PATH whose
// replies follow its locale, and the proxy variables of the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TempEnv.h"
#include "sys/NetworkUtils.h"

namespace {

using namespace FuntionImpl;

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

}  // namespace
