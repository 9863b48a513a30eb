#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "WinTestSupport.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

std::wstring Folder(const fs::path& path) { return path.wstring() + L"\\"; }

TEST(Paths, ModulePathIsThisExecutable) {
    const fs::path path = platform::ModulePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), L"cvd_platform_tests.exe");
}

TEST(Paths, FoldersFollowTheUsersEnvironment) {
    cvdtest::TempEnv env;
    const fs::path profile = env.Root() / "profile", local = env.Root() / "local";
    env.Set("TMP", (env.Tmp()).string());
    env.Set("USERPROFILE", profile.string());
    env.Set("LOCALAPPDATA", local.string() + "\\");
    EXPECT_EQ(platform::TempFolder(), Folder(env.Tmp()));
    EXPECT_EQ(platform::HomeFolder(), Folder(profile));
    EXPECT_EQ(platform::LocalAppDataFolder(), Folder(local));
    EXPECT_EQ(platform::CacheFolder(), Folder(local));
    EXPECT_EQ(platform::DesktopFolder(), Folder(profile / "Desktop")) << "a moved profile";
    env.Set("LOCALAPPDATA", "relative\\ignored");
    EXPECT_NE(platform::LocalAppDataFolder(), L"relative\\ignored\\");
    EXPECT_EQ(platform::LocalAppDataFolder().back(), L'\\');
}

TEST(Paths, TheUsersOwnProfileKeepsItsDesktop) {
    cvdtest::TempEnv env;
    env.Set("USERPROFILE", std::nullopt);
    const std::wstring desktop = platform::DesktopFolder();
    ASSERT_FALSE(desktop.empty());
    EXPECT_EQ(desktop.back(), L'\\');
    EXPECT_EQ(platform::ProgramFilesFolder().back(), L'\\');
    env.Set("CVD_PROGRAM_FILES", (env.Root() / "apps").string());
    EXPECT_EQ(platform::ProgramFilesFolder(), Folder(env.Root() / "apps"));
}

TEST(Paths, MachineStateFolderOverride) {
    cvdtest::TempEnv env;
    env.Set("CVD_MACHINE_STATE_DIR", (env.Root() / "machine").string());
    EXPECT_EQ(platform::MachineStateFolder(), Folder(env.Root() / "machine"));
}

TEST(Paths, RuntimeFolderIsMadeForThisUserAlone) {
    cvdtest::TempEnv env;
    env.Set("LOCALAPPDATA", (env.Root() / "local").string());
    fs::create_directories(env.Root() / "local");
    const platform::RuntimeFolderChoice choice = platform::ChooseRuntimeFolder();
    EXPECT_EQ(choice.folder, Folder(env.Root() / "local" / "cvdownloader"));
    EXPECT_TRUE(choice.refused.empty());
    EXPECT_FALSE(choice.fresh);
    const std::wstring dacl = cvdtest::win32::DaclOf(env.Root() / "local" / "cvdownloader");
    EXPECT_EQ(dacl.find(L";WD)"), std::wstring::npos) << platform::WideToUtf8(dacl);
    EXPECT_NE(dacl.find(cvdtest::win32::UserSid()), std::wstring::npos);
}

TEST(Paths, ARuntimeFolderOthersCouldChangeIsRefused) {
    const std::wstring open =
        L"D:P(A;OICI;FA;;;" + cvdtest::win32::UserSid() + L")(A;OICI;FA;;;WD)";
    const struct {
        const char* name;
        bool openParent;
        const wchar_t* refusal;
    } rows[] = {
        {"others may enter it", false, L": open to other users"},
        {"others may rename what its parent holds", true, L": in a folder other users can change"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cvdtest::TempEnv env;
        const fs::path parent = env.Root() / "local", folder = parent / "cvdownloader";
        env.Set("LOCALAPPDATA", parent.string());
        fs::create_directories(folder);
        ASSERT_TRUE(cvdtest::win32::SetDacl(row.openParent ? parent : folder, open));
        const platform::RuntimeFolderChoice choice = platform::ChooseRuntimeFolder();
        ASSERT_EQ(choice.refused.size(), 1u);
        EXPECT_EQ(choice.refused[0], Folder(folder) + row.refusal);
        EXPECT_TRUE(choice.fresh);
        EXPECT_NE(choice.folder, Folder(folder));
        EXPECT_FALSE(choice.folder.empty());
    }
}

TEST(Paths, OwnWritableFolderIsARealFolderNobodyElseCanChange) {
    cvdtest::TempEnv env;
    const fs::path own = env.Root() / "own", open = env.Root() / "open";
    fs::create_directories(own);
    fs::create_directories(open);
    ASSERT_TRUE(cvdtest::win32::SetDacl(own, cvdtest::win32::OwnerOnly()));
    ASSERT_TRUE(cvdtest::win32::SetDacl(
        open, L"D:P(A;OICI;FA;;;" + cvdtest::win32::UserSid() + L")(A;;0x100002;;;WD)"));
    EXPECT_TRUE(platform::IsOwnWritableFolder(Folder(own)));
    EXPECT_FALSE(platform::IsOwnWritableFolder(Folder(open))) << "everybody may add files";
    EXPECT_FALSE(platform::IsOwnWritableFolder(Folder(env.Root() / "missing")));
    EXPECT_FALSE(platform::IsOwnWritableFolder(env.WriteFile("file", "x").wstring()));
}

}  // namespace
