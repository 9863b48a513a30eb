// The Windows setup program as the installer starts it: built by setup-builder.exe around
// cvd-setup.exe with the payload as overlay data, started with the installer's own switches
// (a folder ending in \" included), run from a temporary copy, all or nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempEnv.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "sys/MemoryZip.h"
#include "sys/SetupFormat.h"

namespace {

namespace fs = std::filesystem;

int RunProgram(const fs::path& program, const std::wstring& arguments, bool setupRules = false) {
    platform::ProcessOptions options;
    options.program = program.wstring();
    options.commandLine = arguments;
    options.setupRules = setupRules;
    auto process = platform::Process::Start(options);
    if (!process || !process->Wait(120000)) return -1;
    return process->ExitCode().value_or(-1);
}

class SetupWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        env.WriteFile("payload/ZorvikVideoConverter.exe", "MZ not really a program");
        env.WriteFile("payload/data/readme.txt", "hello");
    }
    // Starts `setup` exactly as the install thread does and waits for its exit code.
    int RunSetup(const fs::path& setup) {
        return RunProgram(setup,
                          L" /VERYSILENT /SP- /NORESTART /DIR=\"" + target.wstring() +
                              L"\\\" /LANG=de /LOG=\"" + log.wstring() + L"\" /sptrack null",
                          true);
    }
    bool Build(const fs::path& payload, const fs::path& output) {
        return RunProgram(CVD_SETUP_BUILDER,
                          L" " + platform::QuoteArgument(fs::path(CVD_SETUP_PROGRAM).wstring()) +
                              L" " + platform::QuoteArgument(payload.wstring()) + L" " +
                              platform::QuoteArgument(output.wstring()) +
                              L" \"Zorvik Video Converter\" 1.0.0.0") == 0;
    }
    // cvd-setup.exe with `archive` and its trailer appended: payloads setup-builder never makes.
    fs::path SetupAround(const std::string& archive) {
        const fs::path out = env.Root() / "handmade.exe";
        std::ofstream file(out, std::ios::binary);
        file << std::ifstream(fs::path(CVD_SETUP_PROGRAM), std::ios::binary).rdbuf() << archive
             << FuntionImpl::SetupTrailer(archive.size());
        return out;
    }
    bool NothingLeftInTemp() const {
        for (const auto& entry : fs::directory_iterator(env.Tmp()))
            if (entry.path().filename().wstring().starts_with(L"cvd-setup-")) return false;
        return true;
    }

    cvdtest::TempEnv env;
    fs::path setupFile = env.Root() / L"zorvikvideoconverter_zorvik.exe";
    fs::path target = env.Root() / L"Program Files" / L"Zorvik Видео";
    fs::path log = env.Root() / L"logs" / L"Setup_Zorvik.log";
};

TEST_F(SetupWin32Test, InstallsItsOverlayPayloadFromATemporaryCopy) {
    ASSERT_TRUE(Build(env.Root() / "payload", setupFile));
    std::ifstream in(setupFile, std::ios::binary);
    ASSERT_TRUE(FuntionImpl::FindPayload(in, fs::file_size(setupFile)));
    EXPECT_EQ(RunSetup(setupFile), 0) << cvdtest::ReadFile(log);
    EXPECT_EQ(cvdtest::ReadFile(target / "data" / "readme.txt"), "hello");
    EXPECT_TRUE(fs::exists(target / "ZorvikVideoConverter.exe"));
    const std::string text = cvdtest::ReadFile(log);
    EXPECT_NE(text.find("(language de)"), std::string::npos) << text;
    EXPECT_NE(text.find("Installed 2 files into"), std::string::npos) << text;
    // It ran from "<name>.tmp" in a fresh folder of %TEMP%, which is gone afterwards.
    const std::string tempCopy = cvdtest::PathText(env.Tmp()) + "\\cvd-setup-";
    const std::size_t running = text.find("Running from ");
    ASSERT_NE(running, std::string::npos) << text;
    EXPECT_EQ(text.compare(running + 13, tempCopy.size(), tempCopy), 0) << text;
    EXPECT_NE(text.find("\\zorvikvideoconverter_zorvik.tmp", running), std::string::npos);
    EXPECT_TRUE(NothingLeftInTemp());
}

TEST_F(SetupWin32Test, EntriesThatWouldLeaveTheFolderInstallNothing) {
    for (const char* bad : {"../escaped.txt", "..\\escaped.txt", "C:/escaped.txt", "/escaped.txt",
                            "sub\\..\\..\\escaped.txt"}) {
        FuntionImpl::MemoryZip archive;
        static const char kData[] = "data";
        zip_file_add(archive.Archive(), "fine.txt",
                     zip_source_buffer(archive.Archive(), kData, 4, 0), 0);
        zip_file_add(archive.Archive(), bad, zip_source_buffer(archive.Archive(), kData, 4, 0), 0);
        std::string why;
        const fs::path zipFile = env.Root() / "bad.zip";
        ASSERT_TRUE(archive.SaveTo(zipFile.wstring(), why)) << why;
        EXPECT_EQ(RunSetup(SetupAround(cvdtest::ReadFile(zipFile))), 2) << bad;
        EXPECT_FALSE(fs::exists(target)) << bad;
        EXPECT_FALSE(fs::exists(env.Root() / "escaped.txt")) << bad;
        EXPECT_FALSE(fs::exists(target.parent_path() / "escaped.txt")) << bad;
        EXPECT_NE(cvdtest::ReadFile(log).find("Setup failed: damaged payload"), std::string::npos)
            << bad;
    }
}

TEST_F(SetupWin32Test, AFailedWriteLeavesNoHalfInstalledFolder) {
    ASSERT_TRUE(Build(env.Root() / "payload", setupFile));
    env.WriteFile("Program Files", "a file where the parent folder should be");
    EXPECT_EQ(RunSetup(setupFile), 3);
    EXPECT_NE(cvdtest::ReadFile(log).find("Setup failed: cannot create"), std::string::npos);
    EXPECT_TRUE(NothingLeftInTemp());
}

}  // namespace
