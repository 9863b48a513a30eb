// The integrity check: digest and signature of the package and of the sub-programs.
#include "InstallThreadFixture.h"

namespace {

using namespace cvdtest;

std::string Narrow(const std::wstring& text) { return FuntionImpl::Utf16ToUtf8(text); }

class VerificationTest : public InstallThreadTest {};

TEST_F(VerificationTest, IntegrityFailuresAreReportedAndOnlyABadSignatureStops) {
    struct Row {
        int md5;
        bool sig;
        bool product;  // the package is the installer's product
        const char* code;
        const char* exception;
        bool installs;
    } rows[] = {{0, true, true, "DL013", "MD5_Check_Fail_Cfg1", true},
                {1, false, true, "DL014", "Hash_Check_Fail_Cfg1", false},
                {1, true, false, "DL014", "Hash_Check_Fail_Cfg1", false},
                {0, false, true, "DL015", "MD5_Hash_Check_Fail_Cfg1", false},
                {0, true, false, "DL015", "MD5_Hash_Check_Fail_Cfg1", false}};
    for (const Row& row : rows) {
        flow = ScriptedFlow{};
        flow.md5Result = row.md5;
        flow.signatureOk = [&](const std::wstring&) { return row.sig; };
        flow.productOk = row.product;
        window.target = std::make_shared<MessageLog>();
        EXPECT_EQ(Run(), row.installs ? install::kInstalled : install::kStoppedOrFailed)
            << row.code;
        EXPECT_TRUE(events.Has(std::string("ga4|Other|FlowError|") + row.code)) << row.code;
        ASSERT_EQ(flow.exceptionBodies.size(), 1u) << row.code;
        EXPECT_NE(flow.exceptionBodies[0].find(row.exception), std::string::npos) << row.code;
        EXPECT_EQ(flow.mainRuns.size(), row.installs ? 1u : 0u) << row.code;
        if (!row.installs)
            EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{WM_INSTALL_VERIFYING,
                                                              WM_INSTALL_SIGNATURE_FAIL}));
    }
    EXPECT_TRUE(log.Contains("signature fail"));
}

TEST_F(VerificationTest, ASubProgramWithABadSignatureIsNotInstalled) {
    CConfigure& config = CConfigure::Instance();
    config.IsToolkit = true;
    config.SetSubProgramInfoDone(true);
    AddKit(3001, "10");
    AddKit(3002, "10");
    flow.signatureOk = [](const std::wstring& path) {
        return path.find(L"kit3001") == std::wstring::npos;
    };
    EXPECT_EQ(Run(), install::kInstalled);
    SubProgramInfo info;
    config.GetSubProgram(0, info);
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(info.run_path.empty());
    config.GetSubProgram(1, info);
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(info.run_path.ends_with(AsLastPart(L"kit3002.exe"))) << Narrow(info.run_path);
    EXPECT_NE(info.run_path, info.local_path);
    EXPECT_TRUE(log.Contains(" sub program signature fail, not installed: 3001"));
    // Sub-programs are other products: only the main package (its copy that runs) is held to
    // the product.
    ASSERT_EQ(flow.productChecks.size(), 1u);
    EXPECT_TRUE(flow.productChecks[0].ends_with(AsLastPart(config.GetPackageFileName())));
    EXPECT_NE(flow.productChecks[0], Package());
}

}  // namespace
