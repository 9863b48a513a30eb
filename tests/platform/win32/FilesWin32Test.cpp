// Files in folders named in Cyrillic, Chinese and with an emoji, which a narrow path in the ANSI
// code page would break; settings files judged by their owner and DACL.
#include <gtest/gtest.h>

#include <filesystem>

#include "TempEnv.h"
#include "WinTestSupport.h"
#include "platform/Files.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kFolderNames[] = {L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438",
                                     L"\u4e0b\u8f7d \u6587\u4ef6", L"smile \U0001F600"};

TEST(Files, WideNamesSurviveEveryFileOperation) {
    for (const std::wstring& name : kFolderNames) {
        SCOPED_TRACE(platform::WideToUtf8(name));
        EXPECT_EQ(platform::FsPath(name).wstring(), name);
        EXPECT_EQ(platform::WidePath(fs::path(name)), name);
        cvdtest::TempEnv env;
        const fs::path folder = env.Root() / name;
        fs::create_directories(folder);
        const fs::path visit = folder / (name + L".json");
        ASSERT_TRUE(platform::ReplaceFileContents(visit.wstring(), "{}"));
        EXPECT_EQ(cvdtest::ReadFile(visit), "{}");
        std::string error;
        const auto run = platform::MakeFreshPrivateFolder(folder.wstring(), name + L"-", error);
        ASSERT_TRUE(run) << error;
        EXPECT_EQ(fs::path(*run).parent_path(), folder);
        const fs::path copy = fs::path(*run) / (name + L".exe");
        ASSERT_TRUE(platform::CopyFilePrivately(visit.wstring(), copy.wstring(), error)) << error;
        EXPECT_EQ(cvdtest::ReadFile(copy), "{}");
        std::string bytes;
        EXPECT_EQ(platform::ReadSettingsFile(copy.wstring(), 1024, bytes),
                  platform::SettingsFileRead::Read);
        EXPECT_EQ(bytes, "{}");
    }
}

TEST(Files, PrivateFoldersAndCopiesLetNobodyElseIn) {
    cvdtest::TempEnv env;
    const fs::path package = env.WriteFile("work/setup.exe", "signed bytes");
    std::string error;
    const auto folder =
        platform::MakeFreshPrivateFolder(package.parent_path().wstring(), L"run-", error);
    ASSERT_TRUE(folder) << error;
    const fs::path copy = fs::path(*folder) / "setup.exe";
    ASSERT_TRUE(platform::CopyFilePrivately(package.wstring(), copy.wstring(), error)) << error;
    for (const fs::path& made : {fs::path(*folder), copy}) {
        const std::wstring dacl = cvdtest::win32::DaclOf(made);
        SCOPED_TRACE(platform::WideToUtf8(dacl));
        EXPECT_NE(dacl.find(cvdtest::win32::UserSid()), std::wstring::npos);
        for (const wchar_t* broad : {L";WD)", L";BU)", L";AU)"})
            EXPECT_EQ(dacl.find(broad), std::wstring::npos) << platform::WideToUtf8(broad);
    }
}

// A drive's root lets every signed-in user change what is made in it; a work folder made there
// with the inherited entries would let them swap a package after its check.
TEST(Files, MadeFoldersKeepWhatTheParentGrantsOthers) {
    cvdtest::TempEnv env;
    const fs::path open = env.Root() / "open";
    fs::create_directories(open);
    ASSERT_TRUE(cvdtest::win32::SetDacl(
        open, L"D:P(A;OICI;FA;;;" + cvdtest::win32::UserSid() + L")(A;OICI;FA;;;WD)"));
    const fs::path work = open / "CVDownloader" / "product";
    ASSERT_TRUE(platform::MakeFolders(work.wstring()));
    EXPECT_TRUE(platform::MakeFolders(work.wstring())) << "an existing folder is fine";
    for (const fs::path& made : {open / "CVDownloader", work}) {
        SCOPED_TRACE(made.string());
        EXPECT_TRUE(platform::IsOwnWritableFolder(made.wstring()));
        EXPECT_EQ(cvdtest::win32::DaclOf(made).find(L";WD)"), std::wstring::npos);
    }
    EXPECT_FALSE(platform::MakeFolders(env.WriteFile("file", "x").wstring()));
}

TEST(Files, SettingsFilesOthersMayWriteAreNotTrusted) {
    cvdtest::TempEnv env;
    const fs::path settings = env.WriteFile("cv_downloader.cfg", "[Settings]\nAutoRun=1\n");
    std::string bytes;
    EXPECT_EQ(platform::ReadSettingsFile(settings.wstring(), 1024, bytes),
              platform::SettingsFileRead::Read);
    EXPECT_EQ(bytes, "[Settings]\nAutoRun=1\n");
    EXPECT_EQ(platform::ReadSettingsFile(settings.wstring(), 4, bytes),
              platform::SettingsFileRead::Unreadable)
        << "larger than the limit";
    EXPECT_EQ(platform::ReadSettingsFile((env.Root() / "missing.cfg").wstring(), 1024, bytes),
              platform::SettingsFileRead::Missing);
    EXPECT_EQ(platform::ReadSettingsFile((env.Root() / "missing" / "x.cfg").wstring(), 1024, bytes),
              platform::SettingsFileRead::Missing);
    EXPECT_EQ(platform::ReadSettingsFile(env.Root().wstring(), 1024, bytes),
              platform::SettingsFileRead::Unreadable)
        << "a folder";
    ASSERT_TRUE(cvdtest::win32::SetDacl(
        settings, L"D:P(A;;FA;;;" + cvdtest::win32::UserSid() + L")(A;;0x100002;;;WD)"));
    EXPECT_EQ(platform::ReadSettingsFile(settings.wstring(), 1024, bytes),
              platform::SettingsFileRead::NotTrusted);
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
