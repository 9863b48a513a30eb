// The integrity check: digest and signature of the package and of the sub-programs.
#include <unistd.h>

#include "Command.h"
#include "InstallThreadFixture.h"

namespace {

using namespace cvdtest;

std::string Narrow(const std::wstring& text) { return FuntionImpl::Utf16ToUtf8(text); }

// mv -f `from` `to`: as uid 12345 (setpriv) when we are root, else as ourselves.
bool RenameAsAnotherUser(const fs::path& from, const fs::path& to) {
    if (::geteuid() != 0) {
        std::error_code error;
        fs::rename(from, to, error);
        return !error;
    }
    return RunCommand({"setpriv", "--reuid=12345", "--regid=12345", "--clear-groups", "mv", "-f",
                       from.string(), to.string()})
               .status == 0;
}

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
    EXPECT_TRUE(info.run_path.ends_with(L"/kit3002.exe")) << Narrow(info.run_path);
    EXPECT_NE(info.run_path, info.local_path);
    EXPECT_TRUE(log.Contains(" sub program signature fail, not installed: 3001"));
    // Sub-programs are other products: only the main package (its copy that runs) is held to
    // the product.
    ASSERT_EQ(flow.productChecks.size(), 1u);
    EXPECT_TRUE(flow.productChecks[0].ends_with(L"/" + config.GetPackageFileName()));
    EXPECT_NE(flow.productChecks[0], Package());
}

// Another user who may rename files in the download folder swaps the package after its
// signature was checked (as uid 12345 when the test runs as root).
TEST_F(VerificationTest, ASwapAfterTheCheckCannotChangeWhatRuns) {
    std::string verified, ran;
    flow.signatureOk = [&](const std::wstring& path) {
        verified = ReadFile(PathOf(path));
        return true;
    };
    auto seams = flow.Seams();
    seams.runMainPackage = [&](const std::wstring& package, const std::wstring&,
                               install::IInstallWindow&) {
        const fs::path work = PathOf(CConfigure::Instance().GetWorkDirectory());
        fs::permissions(env.Root(), fs::perms::owner_all | fs::perms::others_exec);
        fs::permissions(work, fs::perms::all);  // the folder is now shared with the attacker
        const fs::path evil = work / "evil.exe";
        std::ofstream(evil) << "#!/bin/sh\nunsigned\n";
        EXPECT_TRUE(RenameAsAnotherUser(evil, PathOf(Package())));
        EXPECT_EQ(ReadFile(PathOf(Package())), "#!/bin/sh\nunsigned\n") << "the swap happened";
        // Nor can the copy that runs be swapped: its folder is the installing user's alone.
        const fs::path copy = PathOf(package);
        EXPECT_EQ(fs::status(copy.parent_path()).permissions(), fs::perms::owner_all);
        std::ofstream(work / "evil2.exe") << "unsigned";
        if (::geteuid() == 0) EXPECT_FALSE(RenameAsAnotherUser(work / "evil2.exe", copy));
        ran = ReadFile(copy);
        return true;
    };
    EXPECT_EQ(install::InstallThreadFunc(window, std::move(seams)), install::kInstalled);
    EXPECT_EQ(verified, "package");
    EXPECT_EQ(ran, verified);
}

TEST_F(VerificationTest, NothingRunsFromAFolderOthersCanChange) {
    std::wstring checked;
    flow.signatureOk = [&](const std::wstring& path) {
        checked = path;
        return true;
    };
    auto seams = flow.Seams();
    auto download = seams.download;
    seams.download = [&](const std::wstring& url, const std::wstring& path, std::string& cdn,
                         bool report, bool checkMin, IDownloadProgress* progress) {
        fs::permissions(PathOf(path).parent_path(), fs::perms::all);
        return download(url, path, cdn, report, checkMin, progress);
    };
    EXPECT_EQ(install::InstallThreadFunc(window, std::move(seams)), install::kStoppedOrFailed);
    EXPECT_TRUE(checked.empty()) << Narrow(checked);
    EXPECT_TRUE(flow.mainRuns.empty());
    EXPECT_EQ(Messages(),
              (std::vector<std::uint32_t>{WM_INSTALL_VERIFYING, WM_INSTALL_SIGNATURE_FAIL}));
    EXPECT_TRUE(events.Has("ga4|Other|FlowError|DL014"));
    EXPECT_TRUE(log.Contains(" Package folder can be changed by other users: "));
}

}  // namespace
