// Folders named in Cyrillic, CJK and with an emoji (U+1F600) through every kind of file the
// program keeps: the package and its task file (downloaded, stopped, resumed), the log, the visit
// file and a skin package. On Windows these pass only when no narrow path reaches the system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "DownloadTestSupport.h"
#include "FileBytes.h"
#include "SkinSource.h"
#include "download/CDownLoadImpl.h"
#include "download/CDownloader.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "platform/FsPath.h"
#include "sys/Log.h"
#include "telemetry/VisitFile.h"
#include "toolkit/ZipArchive.h"

namespace {

namespace fs = std::filesystem;
using platform::Utf8Text;
using platform::WidePath;

struct FolderName {
    const char* script;
    const char8_t* name;
};

void PrintTo(const FolderName& folder, std::ostream* out) { *out << folder.script; }

const FolderName kFolders[] = {
    {"Cyrillic", u8"Загрузки"},
    {"Cjk", u8"下载 文件"},
    {"Emoji", u8"папка 😀"},
};

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

class UnicodeFolder : public cvdtest::FaultServerTest,
                      public ::testing::WithParamInterface<FolderName> {
protected:
    void SetUp() override {
        FaultServerTest::SetUp();
        fs::create_directories(folder);
    }

    std::string Served(const std::string& path) {
        CLibcurlTool tool;
        std::string body;
        EXPECT_EQ(tool.httpGet(server.Url(path), body, true), CURLE_OK);
        return body;
    }

    const fs::path folder = env.Root() / std::u8string(GetParam().name);
};

TEST_P(UnicodeFolder, APackageDownloadsStopsAndResumesThroughItsTaskFile) {
    const fs::path package = folder / u8"пакет😀.bin";
    const std::string package8 = Utf8Text(package);
    {
        CDownloader downloader(server.Url("stall/10000000"), package8, package8 + ".xml", 4);
        ASSERT_EQ(downloader.downloadInit(""), Success);
        downloader.startDownload();
        for (int i = 0; i < 1000 && downloader.getProgress().Downloaded < 65536; ++i)
            platform::SleepMs(10);
        downloader.stopDownload();
        ASSERT_TRUE(downloader.waitDriver(10000));
    }
    const fs::path taskFile = folder / u8"пакет😀.bin.xml";
    ASSERT_TRUE(fs::exists(taskFile));
    const TaskFileContent saved = TaskFile::Load(Utf8Text(taskFile));
    ASSERT_EQ(saved.Tasks.size(), 2u);
    EXPECT_EQ(saved.Tasks[0].LocalPath, package8);
    ASSERT_GT(cvdtest::RecordedBytes(Utf8Text(taskFile)), 0);

    Served("heal");
    std::string cdn;
    EXPECT_EQ(CDownLoadImpl().SuperDownloadFile(platform::Utf8ToWide(server.Url("stall/10000000")),
                                                WidePath(package), cdn, true, false),
              Success);
    EXPECT_EQ(cvdtest::ReadFile(package), Served("ok/10000000"));
}

TEST_P(UnicodeFolder, TheLogIsWrittenThere) {
    const fs::path log = folder / "logs" / u8"日志.log";
    FuntionImpl::ConfigureLogger(WidePath(log));
    CVD_LOG << " Wait exit 1";
    EXPECT_NE(cvdtest::ReadFile(log).find("--[Thread]("), std::string::npos);
    EXPECT_NE(cvdtest::ReadFile(log).find(" Wait exit 1\n"), std::string::npos);
}

TEST_P(UnicodeFolder, TheVisitFileIsKeptThere) {
    const VisitFile visits(WidePath(folder / "galog.json"));
    const LocalDate today{2024, 3, 5};
    EXPECT_EQ(visits.UpdateIsNew(today), 1);
    EXPECT_EQ(visits.UpdateIsNew(today), 0);  // read back from the same file
    EXPECT_TRUE(fs::exists(folder / "galog.json"));
}

TEST_P(UnicodeFolder, ASkinPackageThereIsPackedAndLoaded) {
    Write(folder / "skin" / "layout.xml", "<Window/>");
    Write(folder / "skin" / u8"图片" / u8"лого.txt", "picture");
    const auto packed = toolkit::PackFolder(Utf8Text(folder / "skin"));
    ASSERT_TRUE(packed);
    const std::string zip = Utf8Text(folder / u8"скин😀.zip");
    std::string error;
    ASSERT_TRUE(cvdtools::WriteFileAtomically(zip, *packed, error)) << error;

    const auto loaded = cvdtools::LoadSkinPackage(zip, error);
    ASSERT_TRUE(loaded) << error;
    const auto archive = toolkit::ZipArchive::FromMemory(loaded->data(), loaded->size());
    ASSERT_TRUE(archive);
    const std::u8string entry = u8"图片/лого.txt";
    const auto picture = archive->Read(std::string(entry.begin(), entry.end()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::string(picture->begin(), picture->end()), "picture");
}

INSTANTIATE_TEST_SUITE_P(Scripts, UnicodeFolder, ::testing::ValuesIn(kFolders),
                         [](const auto& info) { return std::string(info.param.script); });

}  // namespace
