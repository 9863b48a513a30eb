#include "content/BannerContent.h"

#include <fstream>

#include "ContentTestSupport.h"
#include "config/CConfigure.h"
#include "config/Endpoints.h"
#include "config/LanguageTables.h"
#include "content/JsonAnswer.h"

namespace {

using namespace cvdtest;
namespace fs = std::filesystem;

const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00"
    "\x02\x08\x02\x00\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf"
    "\xc0\x00\x44\x0c\x10\x0a\x00\x1f\xee\x03\xfd\x8b\x5f\x14\xd4\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    73);

class BannerContentTest : public WorkFolderTest {
protected:
    void SetUp() override {
        WorkFolderTest::SetUp();
        env.WriteFile("cdn/banners/one.png", kPng);
        env.WriteFile("cdn/banners/two.png", kPng);
        env.WriteFile("cdn/banners/three.png", kPng);
        env.WriteFile("cdn/banners/text.png", "this is no picture\n");
        cdn = std::make_unique<CdnStand>(env.Root() / "cdn", env.Root() / "nginx");
        ASSERT_TRUE(cdn->Started());
        ApplyConfigWithWorkFolder(
            ConfigEntry("MainPid", "2705") +
            ConfigEntry("Download_url",
                        "https://h/cvd_banner_test_" + std::to_string(::getpid()) + ".exe"));
    }
    std::string Banner(int sort, const std::string& url) const {
        return "{\"banner_url\":\"" + url + "\",\"jump_url\":\"https://jump/" + std::to_string(sort) +
               "\",\"prompt\":\"\xe6\x8f\x90\xe7\xa4\xba " + std::to_string(sort) + "\",\"sort\":" +
               std::to_string(sort) + "}";
    }
    int Apply(const std::string& body) {
        Json::Value answer;
        std::string errors;
        EXPECT_TRUE(content::ParseJson(body, answer, errors)) << errors;
        return content::ApplyBannerAnswer(answer, &window);
    }
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work))
            if (entry.path().extension() != ".xml") names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::size_t Count(const std::string& text) const {
        const std::string all = log.Text();
        std::size_t n = 0;
        for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
        return n;
    }

    std::unique_ptr<CdnStand> cdn;
    MessageRecorder window;
};

TEST_F(BannerContentTest, EveryPictureArrivedPostsTheReadyMessage) {
    EXPECT_EQ(Apply("[" + Banner(1, cdn->Https("banners/one.png")) + "," +
                    Banner(2, cdn->Https("banners/two.png")) + "]"),
              2);
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_BANNER_READY}));
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"1.png", "2.png"}));
    BannerRecord record;
    ASSERT_TRUE(CConfigure::Instance().GetBanner(2, record));
    EXPECT_EQ(record.picture_path, (work / "2.png").wstring());
    EXPECT_EQ(record.jump_url, L"https://jump/2");
    EXPECT_EQ(record.prompt, L"\u63d0\u793a 2");
    EXPECT_EQ(record.sort, 2);
    EXPECT_EQ(Events("bucket|Download|DownloadCarouselImagesTime|").size(), 2u);
    EXPECT_TRUE(log.Contains(" Get Banner success"));
    EXPECT_TRUE(log.Contains(" Get Cbs Ban 2 Success"));
}

TEST_F(BannerContentTest, APictureThatNeverArrivesKeepsTheOthersButPostsNothing) {
    EXPECT_EQ(Apply("[" + Banner(1, cdn->Https("banners/one.png")) + "," +
                    Banner(2, cdn->Https("banners/missing.png")) + "," +
                    Banner(3, cdn->Https("banners/three.png")) + "]"),
              2);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(CConfigure::Instance().GetBanners().size(), 2u);
    EXPECT_EQ(Count(" Get Cbs Ban4: 1/3, "), 3u) << "the failing picture is tried three times";
    EXPECT_EQ(Count(" Get Cbs Ban4: 0/3, "), 1u);
}

TEST_F(BannerContentTest, AFileThatIsNoPictureIsNeitherRetriedNorStored) {
    EXPECT_EQ(Apply("[" + Banner(1, cdn->Https("banners/text.png")) + "]"), 0);
    EXPECT_EQ(Count(" Get Cbs Ban4: 0/1, "), 1u);
    EXPECT_TRUE(log.Contains(" Get Cbs Ban 0 Fail"));
    EXPECT_TRUE(CConfigure::Instance().GetBanners().empty());
    EXPECT_TRUE(window.Messages().empty());
}

TEST_F(BannerContentTest, EmptyListAndBannersWithoutPicturePostNothing) {
    EXPECT_EQ(Apply("[]"), 0);
    EXPECT_EQ(Apply("[{\"sort\":1,\"jump_url\":\"https://j\"}]"), 0);
    EXPECT_EQ(Apply("{\"code\":200}"), 0);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_TRUE(events.All().empty());
}

TEST_F(BannerContentTest, APictureNameLeadingOutOfTheWorkDirectoryIsRefused) {
    const fs::path outside = work.parent_path() / "evil";
    EXPECT_EQ(Apply("[" + Banner(1, cdn->Https("banners/one.png")) + "," +
                    Banner(2, cdn->Https("banners/one.png/../../evil")) + "," +
                    Banner(3, cdn->Https("banners/one.png?x=..\\\\..\\\\evil")) + "]"),
              1);
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_EQ(WorkFiles(), (std::vector<std::string>{"1.png"}));
    EXPECT_TRUE(window.Messages().empty()) << "not every banner arrived";
    EXPECT_EQ(Count(" Get Cbs Ban4: "), 1u) << "refused banners are not downloaded";
}

class BannerThreadTest : public BannerContentTest {
protected:
    void SetUp() override {
        BannerContentTest::SetUp();
        ASSERT_TRUE(server.Started());
        PointEndpointsAt({endpoint::kDataServiceProduction}, server.Host());
        CConfigure::Instance().SetLanguageIndex(LangGerman);
    }
    CollectorServer server;
};

TEST_F(BannerThreadTest, AsksInTheInterfaceLanguageAndDownloadsTheList) {
    server.SetBody("/api/v1/banners", "[" + Banner(1, cdn->Https("banners/one.png")) + "]");
    EXPECT_EQ(content::GetCbsBanner(&window), 0u);
    const auto requests = server.RequestsTo("/api/v1/banners");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["query"].asString().rfind("lang_code=de&parent_pid=2705&timestamp=", 0), 0u);
    EXPECT_EQ(window.Messages(), (std::vector<std::uint32_t>{WM_INSTALL_BANNER_READY}));
    EXPECT_EQ(Events("bucket|Download|ObtainCarouselMapTime|CarouselMapTimeInterval|").size(), 1u);
    EXPECT_TRUE(log.Contains("get banner from server"));
    EXPECT_TRUE(log.Contains(" BAN: lang_code=de&parent_pid=2705&timestamp="));
}

TEST_F(BannerThreadTest, AFailureAnswerDownloadsNothing) {
    server.SetBody("/api/v1/banners", R"({"code":403,"msg":"verify failed"})");
    content::GetCbsBanner(&window);
    EXPECT_TRUE(log.Contains(" Get Cbs Ban fail: {\"code\":403"));
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_TRUE(CConfigure::Instance().GetBanners().empty());
}

}  // namespace
