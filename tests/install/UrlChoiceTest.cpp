#include "InstallTestSupport.h"
#include "config/CConfigure.h"
#include "install/UrlChoice.h"

namespace {

using namespace cvdtest;

class UrlChoiceTest : public InstallTest {
protected:
    // The document's URL lies under the server's extra URL on the stack.
    void Urls(const std::wstring& document, const std::wstring& extra) {
        CConfigure& config = CConfigure::Instance();
        config.PushDownloadUrl(document);
        if (!extra.empty()) config.PushDownloadUrl(extra);
    }
    install::InstallAttempt Attempt() { return install::InstallAttempt(window, flow.Seams()); }
    ScriptedFlow flow;
};

TEST_F(UrlChoiceTest, A64BitLinkAnswering404FallsBackToTheNextCandidate) {
    CConfigure::Instance().Department = 1;
    Urls(L"https://h/product.exe", L"https://h/product_64.exe");
    flow.probeStatuses = {404};
    auto attempt = Attempt();
    ASSERT_TRUE(install::ChoosePackageUrl(attempt));
    EXPECT_EQ(attempt.packageUrl, L"https://h/product.exe");
    EXPECT_EQ(events.All(), (std::vector<std::string>{"ga4|Download|64PC32Link|",
                                                      "funnel|Download|64PC32Link|"}));
    EXPECT_TRUE(log.Contains(" Curl check 64Bit link, http code is 404, curl code is 0"));
    EXPECT_TRUE(log.Contains(" UrlUsed change to: https://h/product.exe"));
}

TEST_F(UrlChoiceTest, ProbesKeepTheUrlUnlessItIsMissing) {
    struct Row {
        const char* why;
        int department;
        float version;
        bool is64;
        std::wstring top;
        std::deque<long> statuses;
        std::wstring expected;
    } rows[] = {
        {"64-bit link found", 1, 10, true, L"https://h/p_64.exe", {200}, L"https://h/p_64.exe"},
        {"no answer", 1, 10, true, L"https://h/p_64.exe", {0}, L"https://h/p_64.exe"},
        {"helper not created", 1, 10, true, L"https://h/p_64.exe", {}, L"https://h/p_64.exe"},
        {"32-bit system never probes",
         1,
         10,
         false,
         L"https://h/p_64.exe",
         {404},
         L"https://h/p_64.exe"},
        {"win 7/8 build missing",
         2,
         6.1f,
         true,
         L"https://h/p_zvwin.exe",
         {404},
         L"https://h/p.exe"},
        {"version 10 never probes win 7/8",
         2,
         10,
         true,
         L"https://h/p_zvwin.exe",
         {404},
         L"https://h/p_zvwin.exe"},
    };
    for (const Row& row : rows) {
        CConfigure::Instance().ResetForTesting();
        CConfigure::Instance().Department = row.department;
        Urls(L"https://h/p.exe", row.top);
        flow.probeStatuses = row.statuses;
        auto attempt = Attempt();
        attempt.seams.windowsVersion = row.version;
        attempt.seams.is64BitSystem = row.is64;
        ASSERT_TRUE(install::ChoosePackageUrl(attempt)) << row.why;
        EXPECT_EQ(attempt.packageUrl, row.expected) << row.why;
    }
    EXPECT_TRUE(log.Contains(" Curl object create failed!"));
}

TEST_F(UrlChoiceTest, NoUsableUrlFailsWithItsCode) {
    Urls(L"http", L"");
    auto attempt = Attempt();
    EXPECT_FALSE(install::ChoosePackageUrl(attempt));
    EXPECT_EQ(CConfigure::Instance().GetLoadSource(), 2);
    EXPECT_EQ(events.All(),
              (std::vector<std::string>{"ga4|Other|FlowError|DL023",
                                        "funnel|ErrorReporting|Error|MainErrorType=DL023"}));
    ASSERT_EQ(window.target->All().size(), 1u);
    EXPECT_EQ(window.target->All()[0].message, WM_INSTALL_FAILED);
    EXPECT_EQ(window.target->All()[0].wParam, static_cast<std::uintptr_t>(NoPackageUrl));
    EXPECT_TRUE(log.Contains("url is empty"));
}

TEST_F(UrlChoiceTest, AThirtyTwoBitPackageInTheProposedFolderGoesToThe32BitProgramFiles) {
    struct Row {
        const char* why;
        std::wstring url, path, proposal;
        bool support32;
        std::wstring expected;
    } rows[] = {
        {"rewritten", L"https://h/p.exe", L"/native/P", L"/native/P", true, L"/x86/P"},
        {"64-bit package", L"https://h/p_64.exe", L"/native/P", L"/native/P", true, L"/native/P"},
        {"user's own folder", L"https://h/p.exe", L"/native/P", L"/native", true, L"/native/P"},
        {"not supported", L"https://h/p.exe", L"/native/P", L"/native/P", false, L"/native/P"},
        {"not inside", L"https://h/p.exe", L"/home/P", L"/home/P", true, L"/home/P"},
    };
    for (const Row& row : rows) {
        window.installPath = row.path;
        window.defaultPath = row.proposal;
        CConfigure::Instance().Support32System = row.support32;
        auto attempt = Attempt();
        attempt.packageUrl = row.url;
        attempt.seams.programFilesNative = L"/native";
        attempt.seams.programFiles32 = L"/x86";
        install::ApplyProgramFilesRule(attempt);
        EXPECT_EQ(attempt.installPath, row.expected) << row.why;
    }
}

}  // namespace
