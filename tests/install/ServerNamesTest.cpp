#include "InstallTestSupport.h"
#include "install/ServerNames.h"

namespace {

using namespace cvdtest;
using namespace std::string_literals;

class ServerNamesTest : public InstallTest {};

TEST_F(ServerNamesTest, OnlyPlainNamesStayInsideTheirFolder) {
    struct Row {
        std::wstring name;
        bool plain;
    } rows[] = {{L"Product.exe", true}, {L"zorvik tool.exe", true}, {L"a..b", false},
                {L"..", false},         {L"../evil", false},        {L"/usr/bin/x", false},
                {L"sub/x.exe", false},  {L"x\\y", false},           {L"x\0y"s, false},
                {L"", false},           {L".hidden", true},         {L"a\" --x.exe", false},
                {L"tool|x.exe", false}, {L"tool\n.exe", false},     {L"a?.exe", false}};
    for (const Row& row : rows)
        EXPECT_EQ(install::IsPlainServerName(row.name), row.plain) << row.name.size();
}

TEST_F(ServerNamesTest, ARefusalIsLogged) {
    EXPECT_FALSE(install::AcceptServerName("launch_name", L"../../bin/sh"));
    EXPECT_TRUE(log.Contains(" refused server name launch_name: ../../bin/sh"));
    EXPECT_FALSE(install::AcceptServerName("install_dir", L"Tool\nforged line"));
    EXPECT_TRUE(log.Contains(" refused server name install_dir: Tool?forged line"));
}

}  // namespace
