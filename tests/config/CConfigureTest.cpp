#include "config/CConfigure.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "TempEnv.h"
#include "config/LanguageTables.h"
#include "platform/Clock.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Xml.h"
#include "toolkit/ZipArchive.h"

namespace {

std::string Document(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<VerticalLayout>"
           "<VerticalLayout name=\"Product_config\" visible=\"false\">" +
           entries + "</VerticalLayout></VerticalLayout>";
}

std::string Entry(const std::string& key, const std::string& value) {
    return "<Label name=\"" + key + "\" text=\"" + value + "\" />";
}

class CConfigureTest : public ::testing::Test {
protected:
    void SetUp() override { config().ResetForTesting(); }
    void TearDown() override { config().ResetForTesting(); }
    static CConfigure& config() { return CConfigure::Instance(); }

    void Apply(const std::string& entries) {
        toolkit::XmlDocument document;
        ASSERT_TRUE(document.LoadFromMemory(Document(entries))) << document.ErrorText();
        config().ApplyDocument(document.Root());
    }
};

TEST_F(CConfigureTest, AbsentKeysKeepTheirDefaults) {
    Apply("");
    EXPECT_EQ(config().InstallTimeout, 240);
    EXPECT_TRUE(config().Support32System);
    EXPECT_FALSE(config().IsToolkit);
    EXPECT_FALSE(config().ChooseLicense);
    EXPECT_EQ(config().GetLoadSource(), 2);
    EXPECT_EQ(config().CurrentDownloadUrl(), L"");
    EXPECT_FALSE(config().NextDownloadUrl());
}

TEST_F(CConfigureTest, NamesThatAreNoPlainFileNamePartsAreRefusedAndTheFormerValueKept) {
    Apply(Entry("Software_name", "Zorvik Video Converter") + Entry("Software_version", "1.0.0.0") +
          Entry("Process_name", "ZorvikVideoConverter.exe") + Entry("Software_name", "../../x") +
          Entry("Software_version", "1.0/../../evil") + Entry("Process_name", "C:evil.exe"));
    EXPECT_EQ(config().GetSoftware_name(), L"Zorvik Video Converter");
    EXPECT_EQ(config().GetSoftware_version(), L"1.0.0.0");
    EXPECT_EQ(config().GetProcess_name(), L"ZorvikVideoConverter.exe");

    const wchar_t* refused[] = {L"a\\b", L"..", L"CON", L"lpt1.exe", L"v1.", L"v1 ", L"x:y"};
    for (const wchar_t* value : refused) {
        EXPECT_FALSE(config().SetSoftware_version(value)) << testing::PrintToString(value);
        EXPECT_FALSE(config().SetProcess_name(value)) << testing::PrintToString(value);
        EXPECT_FALSE(config().SetSoftware_name(value)) << testing::PrintToString(value);
    }
    EXPECT_FALSE(config().SetSoftware_version(std::wstring(L"1\0/", 3)));
    EXPECT_EQ(config().GetSoftware_version(), L"1.0.0.0");
    EXPECT_TRUE(config().SetSoftware_version(L"2.0"));
    EXPECT_EQ(config().GetSoftware_version(), L"2.0");
}

TEST_F(CConfigureTest, InstallTimeoutThatConvertsToZeroBecomes242) {
    struct Case {
        const char* text;
        int expected;
    };
    for (const Case& c : {Case{"0", 242}, Case{"abc", 242}, Case{"", 242}, Case{"600", 600},
                          Case{"  -7x", -7}, Case{"+30s", 30}}) {
        config().ResetForTesting();
        Apply(Entry("InstallTimeout", c.text));
        EXPECT_EQ(config().InstallTimeout, c.expected) << "value '" << c.text << "'";
    }
}

TEST_F(CConfigureTest, BooleansFollowTheirOwnRules) {
    struct Case {
        const char* text;
        bool strict;        // Support32System
        bool unlessZero;    // IsToolkit, StartSubProgram, ChooseLicense
    };
    for (const Case& c : {Case{"1", true, true}, Case{"0", false, false}, Case{"", false, true},
                          Case{"01", false, true}, Case{"true", false, true}}) {
        config().ResetForTesting();
        Apply(Entry("Support32System", c.text) + Entry("IsToolkit", c.text) +
              Entry("StartSubProgram", c.text) + Entry("ChooseLicense", c.text));
        EXPECT_EQ(config().Support32System, c.strict) << "value '" << c.text << "'";
        EXPECT_EQ(config().IsToolkit, c.unlessZero) << "value '" << c.text << "'";
        EXPECT_EQ(config().StartSubProgram != 0, c.unlessZero) << "value '" << c.text << "'";
        EXPECT_EQ(config().ChooseLicense, c.unlessZero) << "value '" << c.text << "'";
    }
}

TEST_F(CConfigureTest, ListsKeepBlanksAndTrailingEmptyItems) {
    Apply(Entry("Language_str", "en#ja#") + Entry("ForbidCountries", "CN, US"));
    EXPECT_EQ(config().GetLanguage_str(), (std::vector<std::wstring>{L"en", L"ja", L""}));
    EXPECT_EQ(config().GetForbidCountries(), (std::vector<std::wstring>{L"CN", L" US"}));

    config().ResetForTesting();
    Apply(Entry("Language_str", ""));
    EXPECT_TRUE(config().GetLanguage_str().empty());
}

TEST_F(CConfigureTest, LaterEntryOfAKeyWinsAndListsAreRebuilt) {
    Apply(Entry("Site_id", "1") + Entry("Language_str", "en#ja") + Entry("Site_id", "61") +
          Entry("Language_str", "de"));
    EXPECT_EQ(config().Site_id, 61);
    EXPECT_EQ(config().GetLanguage_str(), std::vector<std::wstring>{L"de"});
}

TEST_F(CConfigureTest, ThemeColourReadsTheSameWithAndWithoutHash) {
    Apply(Entry("theme_color", "#FF8372FF"));
    EXPECT_EQ(config().theme_color, 0xFF8372FFu);
    config().ResetForTesting();
    Apply(Entry("theme_color", "FF8372FF"));
    EXPECT_EQ(config().theme_color, 0xFF8372FFu);
}

TEST_F(CConfigureTest, KeyIsTheFirstAttributeWhateverItsName) {
    Apply("<Label text=\"185\" name=\"Downloader_id\" />" +
          std::string("<Label key=\"Site_id\" value=\"61\" />") +
          "<Label name=\"site_id\" text=\"7\" />");
    EXPECT_EQ(config().Downloader_id, 0);  // "185" is the key here: ignored
    EXPECT_EQ(config().Site_id, 61);        // keys compare case-sensitively
}

TEST_F(CConfigureTest, FilesizeReadsSixtyFourBits) {
    Apply(Entry("Filesize", "5368709120"));
    EXPECT_EQ(config().GetFilesize(), 5368709120LL);
}

TEST_F(CConfigureTest, UrlStackTriesTheLastPushedFirst) {
    const std::string a = "https://h/a.exe", b = "https://h/b.exe";
    struct Case {
        std::string download, extra;
        std::vector<std::wstring> order;  // tried first to last
    };
    const Case cases[] = {
        {a, b, {L"https://h/b.exe", L"https://h/a.exe"}},
        {a, a, {L"https://h/a.exe"}},
        {"", b, {L"https://h/b.exe"}},
        {a, "", {L"https://h/a.exe"}},
    };
    for (const Case& c : cases) {
        config().ResetForTesting();
        Apply(Entry("Download_url", c.download) + Entry("Extra_download_url", c.extra));
        std::vector<std::wstring> tried{config().CurrentDownloadUrl()};
        while (config().NextDownloadUrl()) tried.push_back(config().CurrentDownloadUrl());
        EXPECT_EQ(tried, c.order) << "download '" << c.download << "' extra '" << c.extra << "'";
        EXPECT_FALSE(config().NextDownloadUrl()) << "the last candidate stays";
        EXPECT_EQ(config().CurrentDownloadUrl(), c.order.back());
    }
}

TEST_F(CConfigureTest, MalformedOrEmptyDocumentLeavesEverythingAtDefaults) {
    for (const char* text : {"<VerticalLayout/>", "<VerticalLayout><Label", ""}) {
        config().ResetForTesting();
        toolkit::XmlDocument document;
        document.LoadFromMemory(text);
        config().ApplyDocument(document.Root());
        EXPECT_EQ(config().GetLoadSource(), 0) << text;
        EXPECT_EQ(config().InstallTimeout, 240) << text;
    }
}

TEST_F(CConfigureTest, PredicatesMatchTheirIdLists) {
    struct Case {
        int id;
        bool extraText, china, jpCode;
    };
    for (const Case& c : {Case{67, true, false, false}, Case{54, false, true, false},
                          Case{117, false, false, true}, Case{121, false, false, false},
                          Case{118, false, true, true}, Case{185, false, false, false}}) {
        config().Downloader_id = c.id;
        config().Site_id = c.id;
        EXPECT_EQ(config().IsExtraTextDownloader(), c.extraText) << c.id;
        EXPECT_EQ(config().IsChinaSite(), c.china) << c.id;
        EXPECT_EQ(config().IsJpCodeDownloader(), c.jpCode) << c.id;
    }
}

TEST_F(CConfigureTest, LinksFallBackToTheDocument) {
    Apply(Entry("PrivacyUrl", "https://p") + Entry("LicenseUrl", "https://l"));
    config().SetLinks("en", L"https://p/en", L"");
    EXPECT_EQ(config().GetPrivacyLink("en"), L"https://p/en");
    EXPECT_EQ(config().GetLicenseLink("en"), L"https://l");
    EXPECT_EQ(config().GetPrivacyLink("ja"), L"https://p");
}

TEST_F(CConfigureTest, SubProgramAccessRejectsOutOfRangeIndexes) {
    SubProgramInfo info;
    info.pid = 42;
    config().AddSubProgram(info);
    EXPECT_TRUE(config().SetSubProgramStatus(0, 1));
    EXPECT_FALSE(config().SetSubProgramStatus(1, 1));
    SubProgramInfo out;
    ASSERT_TRUE(config().GetSubProgram(0, out));
    EXPECT_EQ(out.pid, 42);
    EXPECT_EQ(out.status, 1);
    EXPECT_FALSE(config().GetSubProgram(1, out));
}

TEST_F(CConfigureTest, WaitForAllThreadExitRaisesIsExitingAndWaitsForEachThread) {
    std::atomic<int> finished{0};
    for (int i = 0; i < 3; ++i)
        config().AddWorkerThread(platform::Thread::Start([&finished] {
            while (!CConfigure::Instance().GetIsExiting()) platform::SleepMs(1);
            ++finished;
        }));
    config().AddWorkerThread(nullptr);
    config().WaitForAllThreadExit();
    EXPECT_TRUE(config().GetIsExiting());
    EXPECT_EQ(finished.load(), 3);
}

TEST_F(CConfigureTest, DeleteFilesRemovesEveryListedFileAndKeepsTheList) {
    cvdtest::TempEnv env;
    const auto a = env.WriteFile("a.bin", "a");
    const auto b = env.WriteFile("b.bin", "b");
    config().AddFileToDelete(a.wstring());
    config().AddFileToDelete(b.wstring());
    config().AddFileToDelete(L"/nonexistent/file");
    config().DeleteFiles();
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_FALSE(std::filesystem::exists(b));
    EXPECT_EQ(config().GetFilesToDelete().size(), 3u);
}

TEST_F(CConfigureTest, InitReadsTheDocumentFromTheSkinPackage) {
    cvdtest::TempEnv env;
    env.WriteFile("skin/configure/configure.xml",
                  Document(Entry("Downloader_id", "185") + Entry("Software_name", "Zorvik")));
    const auto package = toolkit::PackFolder((env.Root() / "skin").string());
    ASSERT_TRUE(package);
    auto& resources = toolkit::ResourceManager::Instance();
    ASSERT_TRUE(resources.SetZipArchive(package->data(), package->size()));
    env.Set("LC_ALL", "ja_JP.UTF-8");

    config().Init();

    EXPECT_EQ(config().Downloader_id, 185);
    EXPECT_EQ(config().GetSoftware_name(), L"Zorvik");
    EXPECT_EQ(config().GetLoadSource(), 2);
    EXPECT_EQ(config().GetLanguageIndex(), DetectUiLanguageIndex());
    resources.Release();

    config().ResetForTesting();
    config().Init();  // no package at all
    EXPECT_EQ(config().GetLoadSource(), 0);
    EXPECT_EQ(config().GetLanguageIndex(), DetectUiLanguageIndex());
}

}  // namespace
