#include <algorithm>
#include <filesystem>

#include "InstallTestSupport.h"
#include "install/InstallPathCheck.h"
#include "install/PendingRename.h"
#include "platform/Paths.h"

namespace {

using namespace cvdtest;

// `path` with the system's separator in place of '/'.
std::wstring Native(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/',
                 static_cast<wchar_t>(std::filesystem::path::preferred_separator));
    return path;
}

class PendingRenameTest : public InstallTest {
protected:
    void Pending(const std::wstring& list) {
        ASSERT_TRUE(platform::RegistryStore::Machine().WriteString(
            platform::RegistryRoot::LocalMachine, install::kSessionManagerKey,
            install::kPendingRenameValue, Native(list)));
    }
};

TEST_F(PendingRenameTest, MatchesTheFolderWithItsSeparatorInSourceOrTarget) {
    // Pairs of source and target; the store keeps a multi-string's entries one per line.
    Pending(L"\\??\\/opt/App/old.dll\n\\??\\/opt/App 1/b.dll\n\n/opt/Other/a\n");
    EXPECT_TRUE(install::PathHasPendingRename(Native(L"/opt/App")));
    EXPECT_TRUE(install::PathHasPendingRename(Native(L"/opt/App 1")));
    EXPECT_FALSE(install::PathHasPendingRename(Native(L"/opt/Ap")));     // needs "/opt/Ap/"
    EXPECT_FALSE(install::PathHasPendingRename(Native(L"/opt/app")));    // case-sensitive
    EXPECT_FALSE(install::PathHasPendingRename(Native(L"/opt/Other")));  // after the list's end
}

TEST_F(PendingRenameTest, AMissingValueMeansNothingPending) {
    EXPECT_FALSE(install::PathHasPendingRename(Native(L"/opt/App")));
}

TEST_F(PendingRenameTest, ABlockedFolderGetsTheFirstFreeNumber) {
    Pending(L"/opt/App/x\n/opt/App 1/y\n/opt/App 2/z");
    EXPECT_EQ(install::PathWithoutPendingRename(Native(L"/opt/App")), Native(L"/opt/App 3"));
}

TEST_F(PendingRenameTest, AfterAHundredTriesTheHundredthIsTakenUnchecked) {
    std::wstring list;
    for (int n = 1; n <= 100; ++n) list += L"/opt/App " + std::to_wstring(n) + L"/f\n";
    Pending(list);
    EXPECT_EQ(install::PathWithoutPendingRename(Native(L"/opt/App")), Native(L"/opt/App 100"));
    EXPECT_TRUE(log.Contains("FindRestartFlagByRegedit  too many times!!!"));
}

}  // namespace
