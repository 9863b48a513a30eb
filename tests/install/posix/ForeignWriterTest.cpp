// The integrity check against another user of the machine: a package swapped after its check,
// and folders others may change (POSIX modes and owners; as uid 12345 when the test runs as root).
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

class ForeignWriterTest : public InstallThreadTest {};

// Another user who may rename files in the download folder swaps the package after its
// signature was checked (as uid 12345 when the test runs as root).
TEST_F(ForeignWriterTest, ASwapAfterTheCheckCannotChangeWhatRuns) {
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

TEST_F(ForeignWriterTest, NothingRunsFromAFolderOthersCanChange) {
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
