#include "content/SubProgramInfo.h"

#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

const std::wstring kStamp = L"2" + std::wstring(19, L'7');  // 20 characters

TEST(InstallerKey, TakesTheTokenAfterItsTwentyCharacterStamp) {
    struct Case {
        std::wstring path;
        std::wstring key;
    };
    const Case cases[] = {
        {L"/opt/dl/setup_" + kStamp + L"ABC.exe", L"ABC"},
        {L"/opt/dl/setup_" + kStamp + L"ABC", L"ABC"},  // no extension: to the end
        {L"/opt/dl/setup.v2_" + kStamp + L"KEY", L"KEY"},
        {L"/opt/dl/setup_" + kStamp + L".exe", L""},
        {L"/opt/dl/setup_3" + std::wstring(19, L'7') + L"ABC.exe", L""},
        {L"/opt/dl/a_b_" + kStamp + L"K.1.exe", L"K.1"},
        {L"/opt/dl/setup.exe", L""},
        {L"C:\\dl\\setup_" + kStamp + L"XY.exe", L"XY"},
    };
    for (const Case& c : cases) EXPECT_EQ(content::InstallerKey(c.path), c.key) << c.path.size();
}

TEST(SubProgramQueryUrl, HostFollowsTheSiteAndTypeTheWordSize) {
    Endpoints::Instance().Set(endpoint::kContentServerChina, "cn:1");
    Endpoints::Instance().Set(endpoint::kContentServerInternational, "intl:2");
    EXPECT_EQ(content::SubProgramQueryUrl(L"ABC", false, true),
              "https://intl:2/kitDownloads?t=ABC&package_type=2");
    EXPECT_EQ(content::SubProgramQueryUrl(L"ABC", true, false),
              "https://cn:1/kitDownloads?t=ABC&package_type=1");
    Endpoints::Instance().Clear();
}

class SubProgramInfoTest : public WorkFolderTest {
protected:
    void SetUp() override {
        WorkFolderTest::SetUp();
        ASSERT_TRUE(server.Started());
        PointEndpointsAt({endpoint::kContentServerInternational}, server.Host());
        Endpoints::Instance().Set(endpoint::kGeolocationUrlBase64,
                                  Base64("http://" + server.Host() + "/json/"));
        ApplyConfigWithWorkFolder(
            ConfigEntry("IsToolkit", "1") + ConfigEntry("Site_id", "61") +
            ConfigEntry("Download_url",
                        "https://h/cvd_kit_test_" + std::to_string(::getpid()) + ".exe"));
    }
    void Country(const std::string& code) {
        server.SetBody("/json/", "{\"countryCode\":\"" + code + "\"}");
    }
    static std::string Item(int pid, const std::string& file, const std::string& version,
                            const std::string& limit) {
        return "{\"pid\":" + std::to_string(pid) +
               ",\"parent_pid\":2705,\"download\":\"https://cdn/kits/" + file +
               "\",\"file_size\":\"1048576\",\"file_md5\":\"0123456789abcdef0123456789abcdef\","
               "\"launch_name\":\"tool.exe\",\"install_dir\":\"Tools \xe5\xb7\xa5\xe5\x85\xb7\","
               "\"version\":\"" + version + "\",\"country_limit\":\"" + limit + "\"}";
    }
    // The names every Item carries.
    static constexpr const char* kLaunch = "\"launch_name\":\"tool.exe\"";
    static constexpr const char* kFolder = "\"install_dir\":\"Tools \xe5\xb7\xa5\xe5\x85\xb7\"";
    // `item` with its text `from` replaced by `to`.
    static std::string Replaced(std::string item, const std::string& from, const std::string& to) {
        return item.replace(item.find(from), from.size(), to);
    }
    void Answer(const std::string& items) {
        server.SetBody("/kitDownloads", "{\"status\":200,\"msg\":\"ok\",\"data\":[" + items + "]}");
    }
    void Run() { content::LoadSubProgramInfo(L"/opt/dl/setup_" + kStamp + L"ABC.exe"); }
    static std::vector<SubProgramInfo> Records() {
        std::vector<SubProgramInfo> records(CConfigure::Instance().SubProgramCount());
        for (std::size_t i = 0; i < records.size(); ++i)
            CConfigure::Instance().GetSubProgram(i, records[i]);
        return records;
    }

    CollectorServer server;
};

TEST_F(SubProgramInfoTest, RecordsCarryTheAnswerAndALocalPathInTheWorkDirectory) {
    Answer(Item(11, "tool.exe", "1.2.0", ""));
    Run();
    EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].pid, 11);
    EXPECT_EQ(records[0].parent_pid, 2705);
    EXPECT_EQ(records[0].status, 0);
    EXPECT_EQ(records[0].download, L"https://cdn/kits/tool.exe");
    EXPECT_EQ(records[0].file_size, L"1048576");
    EXPECT_EQ(records[0].file_md5, L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(records[0].launch_name, L"tool.exe");
    EXPECT_EQ(records[0].install_dir, L"Tools \u5de5\u5177");
    EXPECT_EQ(records[0].local_path, work.wstring() + L"tool_1.2.0.exe");

    const auto requests = server.RequestsTo("/kitDownloads");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "t=ABC&package_type=2");
    EXPECT_TRUE(server.RequestsTo("/json/").empty()) << "no limit, no country lookup";
    EXPECT_EQ(Events("bucket|"), (std::vector<std::string>{
                                     "bucket|StartDownloader|ObtainSubroutinesTime|"
                                     "SubroutinesTimeInterval|0|3|s"}));
    for (const char* line : {" GetSubProgramInfo start", " GetSubProgramInfo get rnclid success",
                             " GetSubProgramInfo get from url", " GetSubProgramInfo finish ret:0, reslength",
                             " GetSubProgramInfo parse:1, ", " GetSubProgramInfo ret code:200, cnt:1",
                             " GetSubProgramInfo end"})
        EXPECT_TRUE(log.Contains(line)) << line;
}

TEST_F(SubProgramInfoTest, CountryLimitsDropItemsOfferedNotHere) {
    struct Case {
        const char* country;
        std::size_t kept;
    };
    const Case cases[] = {{"US", 1}, {"DE", 2}, {"", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.country);
        TearDown();
        SetUp();
        Country(c.country);
        Answer(Item(1, "a.exe", "1", "US,CA") + "," + Item(2, "b.exe", "1", ""));
        Run();
        EXPECT_EQ(Records().size(), c.kept);
        EXPECT_EQ(Records().back().pid, 2);
    }
}

TEST_F(SubProgramInfoTest, TheCountryIsLookedUpOnceForManyLimitedItems) {
    Country("DE");
    Answer(Item(1, "a.exe", "1", "US") + "," + Item(2, "b.exe", "1", "CA") + "," +
           Item(3, "c.exe", "1", "DE"));
    Run();
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(server.RequestsTo("/json/").size(), 1u);
}

TEST_F(SubProgramInfoTest, AnItemWhoseFileWouldLieOutsideTheWorkDirectoryIsSkipped) {
    Answer(Item(1, "tool.exe", "../../../../tmp/evil", "") + "," + Item(2, "x.exe", "1\\\\..\\\\2", "") +
           "," + Item(3, "good.exe", "2.0", ""));
    Run();
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].local_path, work.wstring() + L"good_2.0.exe");
}

TEST_F(SubProgramInfoTest, AnItemWhoseLaunchNameOrInstallFolderIsNoPlainNameIsSkipped) {
    const std::string items[] = {
        Replaced(Item(1, "a.exe", "1", ""), kLaunch, "\"launch_name\":\"../../bin/sh\""),
        Replaced(Item(2, "b.exe", "1", ""), kLaunch, "\"launch_name\":\"C:tool.exe\""),
        Replaced(Item(3, "c.exe", "1", ""), kFolder, "\"install_dir\":\"..\""),
        Replaced(Item(4, "d.exe", "1", ""), kFolder, "\"install_dir\":\"Tools/x\""),
        Replaced(Item(5, "e.exe", "1", ""), kFolder, "\"install_dir\":\"CON\""),
        Replaced(Item(6, "f.exe", "1", ""), kLaunch, "\"launch_name\":\"tool.exe.\""),
        Replaced(Item(8, "g.exe", "1", ""), kLaunch, "\"launch_name\":\"tool\\\" --x.exe\""),
        Replaced(Item(9, "h.exe", "1", ""), kFolder, "\"install_dir\":\"Tools|x\""),
        Item(10, "i.exe", "1\\\" x", ""),
        Item(7, "good.exe", "2.0", ""),
    };
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : ",") + item;
    Answer(list);
    Run();
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].pid, 7);
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo refused file name: ../../bin/sh"));
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo refused file name: CON"));
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo refused file name: tool\" --x.exe"));
}

// Such an item could never be installed or started; listed, its size would still count toward
// the free space the install needs.
TEST_F(SubProgramInfoTest, AnItemWithoutLaunchNameOrInstallFolderIsRefusedAtTheList) {
    Answer(Replaced(Item(1, "a.exe", "1", ""), kLaunch, "\"launch_name\":\"\"") + "," +
           Replaced(Item(2, "b.exe", "1", ""), kFolder, "\"install_dir\":\"\"") + "," +
           Item(3, "good.exe", "2.0", ""));
    Run();
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].pid, 3);
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo refused empty launch_name of 1"));
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo refused empty install_dir of 2"));
}

TEST_F(SubProgramInfoTest, FailuresLeaveTheListEmptyButRaiseDone) {
    struct Case {
        const char* name;
        int status;
        std::string body;
    };
    const Case cases[] = {
        {"http error", 500, ""},
        {"not json", 200, "<html>"},
        {"no data", 200, "{\"status\":1}"},
        {"data not a list", 200, "{\"data\":{\"pid\":1}}"},
        {"odd items", 200, "{\"data\":[1,\"x\",null]}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        server.SetStatus("/kitDownloads", c.status);
        server.SetBody("/kitDownloads", c.body);
        Run();
        EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
        EXPECT_EQ(CConfigure::Instance().SubProgramCount(), 0u);
    }
}

TEST_F(SubProgramInfoTest, NoToolkitOrNoKeyAsksNobody) {
    CConfigure::Instance().IsToolkit = false;
    Run();
    EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo is not toolkit"));

    CConfigure::Instance().IsToolkit = true;
    CConfigure::Instance().SetSubProgramInfoDone(false);
    content::LoadSubProgramInfo(L"/opt/dl/setup.exe");
    EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
    EXPECT_TRUE(log.Contains(" GetSubProgramInfo get separate fail"));

    CConfigure::Instance().SetSubProgramInfoDone(false);
    content::LoadSubProgramInfo(L"/opt/dl/setup_" + kStamp + L".exe");
    EXPECT_TRUE(CConfigure::Instance().GetSubProgramInfoDone());
    EXPECT_TRUE(log.Contains(" Symbol is empty"));
    EXPECT_TRUE(server.RequestsTo("/kitDownloads").empty());
}

}  // namespace
