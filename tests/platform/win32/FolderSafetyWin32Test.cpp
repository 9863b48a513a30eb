// Whether other users can change what a folder path names, judged by the owner and DACL of each
// folder on the way.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "WinTestSupport.h"
#include "platform/FolderSafety.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;

bool Safe(const fs::path& folder) { return platform::IsPathSafeFromOthers(folder.wstring()); }

TEST(FolderSafety, EveryFolderOnTheWayCounts) {
    const std::wstring user = cvdtest::win32::UserSid();
    const std::wstring mine = L"D:P(A;OICI;FA;;;" + user + L")";
    const std::wstring inheritOnly = mine + L"(A;OICIIO;FA;;;WD)";
    const std::wstring othersRename = mine + L"(A;;0x1301ff;;;WD)";  // change, delete children
    const std::wstring othersAdd = mine + L"(A;;0x100002;;;WD)";
    struct Row {
        const char* name;
        const std::wstring& above;   // the folder above the work folder
        const std::wstring& folder;  // the work folder itself
        bool safe;
    };
    const Row rows[] = {
        {"private all the way", mine, mine, true},
        {"full control above only for new children", inheritOnly, mine, true},
        {"everybody may rename above", othersRename, mine, false},
        {"everybody may add to the folder itself", mine, othersAdd, false},
    };
    for (const Row& row : rows) {
        cvdtest::TempEnv env;
        if (!Safe(env.Root())) GTEST_SKIP() << "the temporary folder itself is open to others";
        const fs::path above = env.Root() / "above", folder = above / "work";
        fs::create_directories(folder);
        ASSERT_TRUE(cvdtest::win32::SetDacl(above, row.above)) << row.name;
        ASSERT_TRUE(cvdtest::win32::SetDacl(folder, row.folder)) << row.name;
        EXPECT_EQ(Safe(folder), row.safe)
            << row.name << "\n above: " << platform::WideToUtf8(cvdtest::win32::DaclOf(above))
            << "\n folder: " << platform::WideToUtf8(cvdtest::win32::DaclOf(folder));
    }
}

TEST(FolderSafety, AMissingFolderCannotBeJudged) {
    cvdtest::TempEnv env;
    EXPECT_FALSE(Safe(env.Root() / "missing"));
    EXPECT_FALSE(platform::IsPathSafeFromOthers(L""));
}

}  // namespace
