#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <set>

#include "TempEnv.h"
#include "app/CrashReport.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
using app::CrashReportArgument;

TEST(CrashReport, TheSwitchTakesEverythingAfterItsBlank) {
    struct Row {
        const wchar_t* commandLine;
        std::optional<std::wstring> name;
    };
    const Row rows[] = {
        {L"-dmp run_2024.log", L"run_2024.log"},
        {L"--x -dmp name with blanks.log", L"name with blanks.log"},
        {L"-dmp ", L""},
        {L"-dmp", std::nullopt},  // no blank after it: the installer starts normally
        {L"", std::nullopt},
        {L"-dmpx.log", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CrashReportArgument(row.commandLine), row.name)
            << platform::WideToUtf8(row.commandLine);
    EXPECT_EQ(CrashReportArgument(app::JoinedCommandLine({L"-dmp", L"a_1.log"})), L"a_1.log");
    EXPECT_EQ(CrashReportArgument(app::JoinedCommandLine({L"-dmp"})), std::nullopt);
}

TEST(CrashReport, DumpGoesBesideTheLogOrIsNamedByTime) {
    const auto beside = app::CrashPlanFor(185, "1.0.0.0", L"/l/", L"/l/video_2024031412000.log");
    EXPECT_EQ(beside.dumpFile, L"/l/video_2024031412000.log.dmp");
    EXPECT_EQ(beside.restartArguments,
              (std::vector<std::wstring>{L"-dmp", L"video_2024031412000.log"}));

    const auto timed = app::CrashPlanFor(185, "1.0.0.0", L"/l/", L"");
    EXPECT_TRUE(timed.dumpFile.empty());
    EXPECT_EQ(timed.dumpFolder, L"/l/");
    EXPECT_EQ(timed.dumpPrefix, L"185_1.0.0.0_");
}

TEST(CrashReport, ArchiveAndUploadNames) {
    EXPECT_EQ(app::CrashArchivePath(L"/l/", L"20240305140709042"), L"/l/20240305140709042.zip");
    EXPECT_EQ(app::CrashUploadName(L"video_setup_2024031412000.log", L"20240305140709042"),
              "video_setup_20240305140709042.zip");
    EXPECT_EQ(app::CrashUploadName(L"nounderscore.log", L"20240305140709042"), "");
}

std::set<std::string> Entries(const fs::path& archivePath) {
    std::set<std::string> names;
    int error = 0;
    zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
    if (!archive) return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.insert(zip_get_name(archive, i, 0));
    zip_close(archive);
    return names;
}

class PackCrashReport : public ::testing::Test {
protected:
    fs::path Logs() const { return env_.Root() / "logs"; }
    std::wstring LogDirectory() const { return platform::Utf8ToWide(Logs().string() + "/"); }
    fs::path Archive() const { return Logs() / "20240305140709042.zip"; }
    void Write(const std::string& name) const { env_.WriteFile("logs/" + name, name + " text"); }

    // Packs with an uploader that keeps a copy of what it was given and answers `result`.
    int Pack(const std::wstring& name, int result) {
        return app::PackCrashReport({name, LogDirectory(), L"20240305140709042"},
                                    [&](const std::string& path, const std::string& uploadName) {
                                        uploaded_ = Entries(path);
                                        uploadName_ = uploadName;
                                        ++uploads_;
                                        return result;
                                    });
    }

    cvdtest::TempEnv env_;
    std::set<std::string> uploaded_;
    std::string uploadName_;
    int uploads_ = 0;
};

TEST_F(PackCrashReport, UploadsTheLogAndItsDumpAndDeletesTheArchiveAfterSuccess) {
    Write("video_2024.log");
    Write("video_2024.log.dmp");
    Write("older_1.dmp");
    EXPECT_EQ(Pack(L"video_2024.log", 0), 0);
    EXPECT_EQ(uploaded_, (std::set<std::string>{"video_2024.log", "video_2024.log.dmp"}));
    EXPECT_EQ(uploadName_, "video_20240305140709042.zip");
    EXPECT_FALSE(fs::exists(Archive()));
    EXPECT_TRUE(fs::exists(Logs() / "video_2024.log.dmp"));  // only the archive goes
}

TEST_F(PackCrashReport, KeepsTheArchiveWhenTheUploadFails) {
    Write("video_2024.log");
    Write("video_2024.log.dmp");
    EXPECT_EQ(Pack(L"video_2024.log", -3), 0);
    EXPECT_EQ(uploads_, 1);
    EXPECT_EQ(Entries(Archive()), (std::set<std::string>{"video_2024.log", "video_2024.log.dmp"}));
}

TEST_F(PackCrashReport, WithoutItsOwnDumpPacksEveryDumpOfTheFolder) {
    Write("video_2024.log");
    Write("185_1.0.0.0_20240305140709000.dmp");
    Write("other.txt");
    fs::create_directories(Logs() / "folder.dmp");
    EXPECT_EQ(Pack(L"video_2024.log", 0), 0);
    EXPECT_EQ(uploaded_,
              (std::set<std::string>{"video_2024.log", "185_1.0.0.0_20240305140709000.dmp"}));
}

TEST_F(PackCrashReport, WithoutANamePacksTheDumpsAndSendsNoName) {
    Write("185_1.0.0.0_20240305140709000.dmp");
    EXPECT_EQ(Pack(L"", 0), 0);
    EXPECT_EQ(uploaded_, (std::set<std::string>{"185_1.0.0.0_20240305140709000.dmp"}));
    EXPECT_EQ(uploadName_, "");
}

TEST_F(PackCrashReport, ANameWithFoldersStaysInTheLogFolder) {
    env_.WriteFile("secret_1.log", "outside");
    env_.WriteFile("secret_1.log.dmp", "outside");
    Write("secret_1.log");
    EXPECT_EQ(Pack(L"../secret_1.log", 0), 0);
    EXPECT_EQ(uploaded_, (std::set<std::string>{"secret_1.log"}));
}

TEST_F(PackCrashReport, NothingToPackUploadsNothing) {
    fs::create_directories(Logs());
    EXPECT_EQ(Pack(L"absent_1.log", 0), 0);
    EXPECT_EQ(uploads_, 0);
}

TEST_F(PackCrashReport, AnArchiveThatCannotBeMadeIsMinusOneAndUploadsNothing) {
    Write("video_2024.log");
    fs::create_directories(Archive());  // a folder where the archive should go
    EXPECT_EQ(Pack(L"video_2024.log", 0), -1);
    EXPECT_EQ(uploads_, 0);
}

}  // namespace
