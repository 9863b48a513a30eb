#include "content/DownloadInfoQuery.h"

#include "content/ContentThreads.h"

#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"

namespace {

using namespace cvdtest;
using content::getDownloadInfoServer;
using content::readDownloadInfoFromServer;

TEST(PackageTypeSuffix, DependsOnDepartmentWordSizeAndWindowsVersion) {
    struct Case {
        int department;
        bool is64;
        float version;
        const char* suffix;
    };
    const Case cases[] = {
        {1, true, 10.0f, "&package_type=2"}, {1, false, 10.0f, ""},
        {2, true, 6.3f, "&package_type=5"},  {2, true, 10.0f, ""},
        {0, true, 6.1f, ""},                 {3, true, 6.1f, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(content::PackageTypeSuffix(c.department, c.is64, c.version), c.suffix)
            << c.department << " " << c.is64 << " " << c.version;
}

TEST(UpdateServerEndpoint, TestSwitchWinsOverAChinaSite) {
    Endpoints::Instance().Set(endpoint::kUpdateServerTest, "test:8080");
    Endpoints::Instance().Set(endpoint::kUpdateServerChina, "china:8443");
    Endpoints::Instance().Set(endpoint::kUpdateServerInternational, "intl:8443");
    const auto test = content::UpdateServerEndpoint(true, true);
    EXPECT_EQ(test.base, "http://test:8080");
    EXPECT_EQ(test.region, "cn");
    const auto china = content::UpdateServerEndpoint(false, true);
    EXPECT_EQ(china.base, "https://china:8443");
    EXPECT_EQ(china.region, "cn");
    const auto international = content::UpdateServerEndpoint(false, false);
    EXPECT_EQ(international.base, "https://intl:8443");
    EXPECT_EQ(international.region, "com");
    Endpoints::Instance().Clear();
}

TEST(DownloaderTags, OpeningTagMustComeFirst) {
    EXPECT_TRUE(content::HasDownloaderTags("<Downloader></Downloader>"));
    EXPECT_TRUE(content::HasDownloaderTags("junk<Downloader><a>1</a></Downloader>junk"));
    EXPECT_FALSE(content::HasDownloaderTags("</Downloader><Downloader>"));
    EXPECT_FALSE(content::HasDownloaderTags("<Downloader>"));
    EXPECT_FALSE(content::HasDownloaderTags(""));
}

class DownloadInfoQueryTest : public ContentTest {
protected:
    void SetUp() override {
        ContentTest::SetUp();
        ASSERT_TRUE(server.Started());
        PointEndpointsAt({endpoint::kUpdateServerInternational}, server.Host());
        ApplyConfig(ConfigEntry("Downloader_id", "185") + ConfigEntry("Site_id", "61") +
                    ConfigEntry("Language_id", "1033") + ConfigEntry("Department", "2") +
                    ConfigEntry("Software_name", "Doc Name") + ConfigEntry("Md5", "docmd5") +
                    ConfigEntry("Download_url", "https://doc/primary.exe") +
                    ConfigEntry("Extra_download_url", "https://doc/extra.exe"));
    }
    void Answer(const std::string& body) { server.SetBody("/queryDownloader", body); }
    static std::vector<std::wstring> Candidates() {
        std::vector<std::wstring> urls = {config().CurrentDownloadUrl()};
        while (config().NextDownloadUrl()) urls.push_back(config().CurrentDownloadUrl());
        return urls;
    }
    static CConfigure& config() { return CConfigure::Instance(); }

    CollectorServer server;
};

TEST_F(DownloadInfoQueryTest, AppliedAnswerSetsFieldsAndPutsItsUrlsOnTop) {
    Answer("<?xml version=\"1.0\"?><Downloader><Software_name>Server Name</Software_name>"
           "<Software_version>2.1</Software_version><Process_name>p.exe</Process_name>"
           "<Md5>abc</Md5><Md5_extra>def</Md5_extra><Filesize>123456789012</Filesize>"
           "<Download_url>https://cdn/a.exe</Download_url>"
           "<Extra_download_url>https://cdn/b.exe</Extra_download_url>"
           "<software_name>ignored: names are case-sensitive</software_name><Md5></Md5>"
           "<Unknown>x</Unknown></Downloader>");
    EXPECT_EQ(getDownloadInfoServer(false), 1);

    EXPECT_EQ(config().GetLoadSource(), 1);
    EXPECT_EQ(config().GetSoftware_name(), L"Server Name");
    EXPECT_EQ(config().GetSoftware_version(), L"2.1");
    EXPECT_EQ(config().GetProcess_name(), L"p.exe");
    EXPECT_EQ(config().GetMd5(), L"abc");
    EXPECT_EQ(config().GetMd5_extra(), L"def");
    EXPECT_EQ(config().GetFilesize(), 123456789012);
    EXPECT_EQ(config().GetDownload_url(), L"https://doc/primary.exe") << "the record keeps it";
    EXPECT_EQ(Candidates(), (std::vector<std::wstring>{L"https://cdn/b.exe", L"https://cdn/a.exe",
                                                       L"https://doc/extra.exe",
                                                       L"https://doc/primary.exe"}));

    const std::string expectedUrl = "https://" + server.Host() +
                                    "/queryDownloader?LanguageId=1033&SoftWareID=185&SiteID=61";
    EXPECT_EQ(config().GetQueryUrl(), expectedUrl) << "Linux counts as Windows 10: no suffix";
    const auto requests = server.RequestsTo("/queryDownloader");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString(), "LanguageId=1033&SoftWareID=185&SiteID=61");

    EXPECT_EQ(Events("ga4|"), (std::vector<std::string>{"ga4|Other|AsyncGetCbsTime|0"}));
    EXPECT_EQ(Events("bucket|"), (std::vector<std::string>{
                                     "bucket|StartDownloader|ObtainDownloaderTime|"
                                     "DownloaderTimeInterval|0|3|s"}));
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Async)..."));
    EXPECT_TRUE(log.Contains(" getDownloadInfoXml: LanguageId=1033&SoftWareID=185&SiteID=61  package="));
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Async, com) return 0, len="));
    EXPECT_TRUE(log.Contains("load srever xml cfg success"));
}

TEST_F(DownloadInfoQueryTest, TheWindowsFirstThreadRunsTheAsyncQuery) {
    Answer("<Downloader><Software_name>Threaded</Software_name></Downloader>");
    EXPECT_EQ(content::AsyncGetCbsInfoThreadFunc(), 0u);
    EXPECT_EQ(config().GetSoftware_name(), L"Threaded");
    EXPECT_TRUE(log.Contains("first get download info"));
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Async)..."));
}

TEST_F(DownloadInfoQueryTest, OnlyTheFirstAnswerIsApplied) {
    Answer("<Downloader><Software_name>First</Software_name>"
           "<Download_url>https://cdn/first.exe</Download_url></Downloader>");
    EXPECT_EQ(getDownloadInfoServer(false), 1);
    Answer("<Downloader><Software_name>Second</Software_name>"
           "<Download_url>https://cdn/second.exe</Download_url></Downloader>");
    EXPECT_EQ(getDownloadInfoServer(true), 1);
    EXPECT_EQ(config().GetSoftware_name(), L"First");
    EXPECT_EQ(config().CurrentDownloadUrl(), L"https://cdn/first.exe");
    EXPECT_EQ(Events("ga4|"), (std::vector<std::string>{"ga4|Other|AsyncGetCbsTime|0",
                                                        "ga4|Other|SyncGetCbsTime|0"}));
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Sync)..."));
}

TEST_F(DownloadInfoQueryTest, AnswerShapesAndTheirEffect) {
    struct Case {
        const char* name;
        std::string body;
        int result;
        int loadSource;
        std::vector<std::wstring> candidates;
    };
    const std::vector<std::wstring> document = {L"https://doc/extra.exe", L"https://doc/primary.exe"};
    const Case cases[] = {
        {"empty element", "<Downloader></Downloader>", 1, 1, document},
        {"tags in the wrong order", "</Downloader><Downloader>", 0, 2, document},
        {"no tags", "<html>not found</html>", 0, 2, document},
        {"equal urls", "<Downloader><Download_url>https://cdn/same.exe</Download_url>"
                       "<Extra_download_url>https://cdn/same.exe</Extra_download_url></Downloader>",
         1, 1, {L"https://cdn/same.exe", L"https://doc/extra.exe", L"https://doc/primary.exe"}},
        {"not well-formed", "<Downloader><Software_name>x</Downloader>", 1, 1, document},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        config().ResetForTesting();
        SetUp();
        Answer(c.body);
        EXPECT_EQ(getDownloadInfoServer(true), c.result);
        EXPECT_EQ(config().GetLoadSource(), c.loadSource);
        EXPECT_EQ(config().GetSoftware_name(), L"Doc Name");
        EXPECT_EQ(config().GetMd5(), L"docmd5");
        EXPECT_EQ(Candidates(), c.candidates);
    }
    EXPECT_TRUE(Events("ga4|Other|FlowError").empty());
}

TEST_F(DownloadInfoQueryTest, HttpErrorPageSendsNoErrorEvent) {
    server.SetStatus("/queryDownloader", 500);
    EXPECT_EQ(getDownloadInfoServer(true), 0);
    EXPECT_EQ(config().GetLoadSource(), 2);
    EXPECT_TRUE(Events("ga4|Other|FlowError").empty());
    EXPECT_TRUE(Events("funnel|ErrorReporting").empty());
}

TEST_F(DownloadInfoQueryTest, UnresolvableHostReportsDL003) {
    // A label over 63 characters fails in the resolver itself: no name query leaves the machine.
    Endpoints::Instance().Set(endpoint::kUpdateServerInternational, std::string(64, 'a') + ".invalid");
    EXPECT_EQ(getDownloadInfoServer(true), 0);
    EXPECT_EQ(Events("ga4|Other|FlowError"), (std::vector<std::string>{"ga4|Other|FlowError|DL003"}));
    EXPECT_EQ(Events("funnel|"), (std::vector<std::string>{
                                     "funnel|ErrorReporting|Error|MainErrorType|DL003"}));
    EXPECT_TRUE(log.Contains(" GetDownloaderInfo(Sync, com) return 6, len=0"));
}

TEST_F(DownloadInfoQueryTest, TimeOutReportsDL002) {
    server.Control("/__hold?path=/queryDownloader");
    EXPECT_EQ(getDownloadInfoServer(true), 0);
    server.Control("/__release");
    EXPECT_EQ(Events("ga4|Other|FlowError"), (std::vector<std::string>{"ga4|Other|FlowError|DL002"}));
    EXPECT_EQ(Events("funnel|"), (std::vector<std::string>{
                                     "funnel|ErrorReporting|Error|MainErrorType|DL002"}));
    EXPECT_EQ(Events("ga4|Other|SyncGetCbsTime"),
              (std::vector<std::string>{"ga4|Other|SyncGetCbsTime|10"}));
}

TEST_F(DownloadInfoQueryTest, AnswerNamesThatAreNoPlainFileNamePartsKeepTheDocumentsValues) {
    config().SetSoftware_version(L"1.0.0.0");
    config().SetProcess_name(L"doc.exe");
    Answer("<Downloader><Software_name>..</Software_name>"
           "<Software_version>1.0/../../../../tmp/evil</Software_version>"
           "<Process_name>NUL.exe</Process_name><Md5>abc</Md5></Downloader>");
    EXPECT_EQ(getDownloadInfoServer(true), 1);
    EXPECT_EQ(config().GetSoftware_name(), L"Doc Name");
    EXPECT_EQ(config().GetSoftware_version(), L"1.0.0.0");
    EXPECT_EQ(config().GetProcess_name(), L"doc.exe");
    EXPECT_EQ(config().GetMd5(), L"abc") << "the rest of the answer still applies";
    EXPECT_EQ(config().GetPackageFileName(), L"primary_1.0.0.0.exe");
    EXPECT_TRUE(
        log.Contains(" Refused Software_version (not a plain name): 1.0/../../../../tmp/evil"));
    EXPECT_TRUE(log.Contains(" Refused Process_name (not a plain name): NUL.exe"));
}

TEST_F(DownloadInfoQueryTest, WithoutADocumentNoAnswerIsApplied) {
    config().ResetForTesting();
    Answer("<Downloader><Software_name>Server</Software_name></Downloader>");
    EXPECT_EQ(getDownloadInfoServer(true), 1);
    EXPECT_EQ(config().GetLoadSource(), 0);
    EXPECT_EQ(config().GetSoftware_name(), L"");
}

TEST(ReadDownloadInfo, EmptyAnswerChangesNothing) {
    CConfigure::Instance().ResetForTesting();
    CConfigure::Instance().SetLoadSource(2);
    EXPECT_EQ(readDownloadInfoFromServer(""), 0);
    EXPECT_EQ(CConfigure::Instance().GetLoadSource(), 2);
    CConfigure::Instance().ResetForTesting();
}

}  // namespace
