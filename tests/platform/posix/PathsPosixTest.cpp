#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempEnv.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using platform::Utf8ToWide;

std::wstring Folder(const fs::path& path) { return Utf8ToWide(path.string() + "/"); }

TEST(Paths, ModulePathIsThisExecutable) {
    const std::wstring path = platform::ModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), L'/');
    EXPECT_NE(path.find(L"cvd_platform_tests"), std::wstring::npos);
}

TEST(Paths, TempFolderFollowsTmpdir) {
    cvdtest::TempEnv env;
    env.Set("TMPDIR", env.Tmp().string());  // without the trailing slash
    EXPECT_EQ(platform::TempFolder(), Folder(env.Tmp()));
    env.Set("TMPDIR", std::nullopt);
    EXPECT_EQ(platform::TempFolder(), L"/tmp/");
}

TEST(Paths, LocalAppDataFromXdgOrHome) {
    cvdtest::TempEnv env;
    EXPECT_EQ(platform::LocalAppDataFolder(), Folder(env.Root() / "data"));
    env.Set("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(platform::LocalAppDataFolder(), Folder(env.Home() / ".local/share"));
    env.Set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(platform::LocalAppDataFolder(), Folder(env.Home() / ".local/share"));
}

TEST(Paths, HomeAndCacheFromTheEnvironment) {
    cvdtest::TempEnv env;
    EXPECT_EQ(platform::HomeFolder(), Folder(env.Home()));
    EXPECT_EQ(platform::CacheFolder(), Folder(env.Cache()));
    env.Set("XDG_CACHE_HOME", std::nullopt);
    EXPECT_EQ(platform::CacheFolder(), Folder(env.Home() / ".cache"));
}

TEST(Paths, OwnWritableFolderIsARealFolderNobodyElseCanChange) {
    cvdtest::TempEnv env;
    const fs::path own = env.Root() / "own", open = env.Root() / "open", link = env.Root() / "link";
    fs::create_directories(own);
    fs::create_directories(open);
    fs::permissions(open, fs::perms::all);
    fs::create_directory_symlink(own, link);
    EXPECT_TRUE(platform::IsOwnWritableFolder(Folder(own)));
    EXPECT_FALSE(platform::IsOwnWritableFolder(Folder(open)));
    EXPECT_FALSE(platform::IsOwnWritableFolder(Folder(link))) << "a link, even with a trailing '/'";
    EXPECT_FALSE(platform::IsOwnWritableFolder(Folder(env.Root() / "missing")));
    EXPECT_FALSE(platform::IsOwnWritableFolder(Utf8ToWide(env.WriteFile("file", "x").string())));
}

TEST(Paths, DesktopFromVariableThenUserDirsThenHome) {
    cvdtest::TempEnv env;
    EXPECT_EQ(platform::DesktopFolder(), Folder(env.Home() / "Desktop"));
    env.Set("XDG_DESKTOP_DIR", std::nullopt);
    env.WriteFile("config/user-dirs.dirs",
                  "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(platform::DesktopFolder(), Folder(env.Home() / "Schreibtisch"));
    fs::remove(env.Root() / "config/user-dirs.dirs");
    EXPECT_EQ(platform::DesktopFolder(), Folder(env.Home() / "Desktop"));
}

TEST(Paths, ProgramFilesIsOptOrUnderHome) {
    cvdtest::TempEnv env;
    const std::wstring folder = platform::ProgramFilesFolder();
    if (access("/opt", W_OK) == 0)
        EXPECT_EQ(folder, L"/opt/");
    else
        EXPECT_EQ(folder, Folder(env.Home() / ".local/opt"));
}

TEST(Paths, RuntimeFolderIsCreatedPrivate) {
    cvdtest::TempEnv env;
    const std::wstring folder = platform::RuntimeFolder();
    EXPECT_EQ(folder, Folder(env.Root() / "runtime/cvdownloader"));
    struct stat info {};
    ASSERT_EQ(stat((env.Root() / "runtime/cvdownloader").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// The fallback is the machine's shared /tmp: the test only names it and never creates it, since
// other programs of this user may be using it.
TEST(Paths, RuntimeFolderFallsBackToTmpPerUserWithoutAnAbsoluteXdgRuntimeDir) {
    const std::wstring fallback = L"/tmp/cvdownloader-" + std::to_wstring(getuid()) + L"/";
    for (const std::optional<std::string>& value :
         {std::optional<std::string>{}, std::optional<std::string>{"run/user"}}) {
        SCOPED_TRACE(value.value_or("(unset)"));
        cvdtest::TempEnv env;
        env.Set("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(platform::RuntimeFolderPath(), fallback);
    }
}

TEST(Paths, MachineStateFolderOverrideAndFallback) {
    cvdtest::TempEnv env;
    EXPECT_EQ(platform::MachineStateFolder(), Folder(env.Root() / "machine"));
    env.Set("CVD_MACHINE_STATE_DIR", std::nullopt);
    const std::wstring folder = platform::MachineStateFolder();
    EXPECT_TRUE(folder == L"/var/lib/cvdownloader/" ||
                folder == Folder(env.Root() / "state/cvdownloader"))
        << platform::WideToUtf8(folder);
}

TEST(Paths, EnvironmentIsReadAtEachCall) {
    cvdtest::TempEnv env;
    env.Set("XDG_DATA_HOME", "/first");
    EXPECT_EQ(platform::LocalAppDataFolder(), L"/first/");
    env.Set("XDG_DATA_HOME", "/second/");
    EXPECT_EQ(platform::LocalAppDataFolder(), L"/second/");
}

}  // namespace
