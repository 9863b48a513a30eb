#include <gtest/gtest.h>

#include "TempEnv.h"
#include "platform/FsPath.h"
#include "telemetry/ReportFolder.h"

namespace {

TEST(ReportFolder, ProxyIsTheFirstWordOfProxyTxt) {
    cvdtest::TempEnv env;
    const ReportFolder folder(env.Root().wstring());
    EXPECT_EQ(folder.Proxy(), "");  // no file
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.0.1:3128 then a comment\n", "127.0.0.1:3128"},
        {"  \n\tproxy.local:8080\n", "proxy.local:8080"},
        {"", ""},
        {"   \n", ""},
    };
    for (const auto& [text, proxy] : cases) {
        env.WriteFile("proxy.txt", text);
        EXPECT_EQ(folder.Proxy(), proxy) << text;
    }
    env.WriteFile("proxy.txt", std::string(300, 'p'));
    EXPECT_EQ(folder.Proxy().size(), 254u);
}

TEST(ReportFolder, TestCollectorOnlyWithAFileNamedTest) {
    cvdtest::TempEnv env;
    const ReportFolder folder(env.Root().wstring());
    EXPECT_FALSE(folder.UseTestCollector());
    env.WriteFile("test", "");
    EXPECT_TRUE(folder.UseTestCollector());
}

TEST(ReportFolder, CurrentIsTheWorkingFolder) {
    EXPECT_EQ(platform::FsPath(ReportFolder::Current()), std::filesystem::current_path());
}

}  // namespace
