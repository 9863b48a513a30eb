#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "TempEnv.h"
#include "ToolkitTestSupport.h"
#include "toolkit/ZipArchive.h"

namespace toolkit {
namespace {

namespace fs = std::filesystem;

class ZipArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.WriteFile("skin/skin/combo_over.png", "combo picture");
        env_.WriteFile("skin/skin/anima/1.png", std::string(5000, 'a'));
        env_.WriteFile("skin/InstallMainWnd.xml", "<Window/>");
        env_.WriteFile("skin/configure/configure.xml", "<VerticalLayout/>");
        env_.WriteFile("skin/empty.txt", "");
        auto packed = PackFolder((env_.Root() / "skin").string());
        ASSERT_TRUE(packed);
        zip_ = std::move(*packed);
        archive_ = ZipArchive::FromMemory(zip_.data(), zip_.size());
        ASSERT_TRUE(archive_);
    }

    cvdtest::TempEnv env_;
    Bytes zip_;
    std::unique_ptr<ZipArchive> archive_;
};

TEST_F(ZipArchiveTest, LookUpIgnoresCaseAndSeparatorStyle) {
    const char* spellings[] = {"skin/combo_over.png",   "skin\\Combo_over.png",
                               "SKIN/COMBO_OVER.PNG",   "./skin/combo_over.png",
                               "/skin\\combo_over.png", "skin\\anima\\1.png"};
    for (const char* path : spellings) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(archive_->Contains(path));
        EXPECT_TRUE(archive_->Read(path));
    }
    EXPECT_EQ(AsText(*archive_->Read("skin\\Combo_over.png")), "combo picture");
}

TEST_F(ZipArchiveTest, MissingEntryAndFolderNamesAreNotFound) {
    for (const char* path : {"skin/combo_over.pn", "skin", "skin/", "", "combo_over.png",
                             "skin/anima/5.png", "skin//combo_over.png"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(archive_->Contains(path));
        EXPECT_FALSE(archive_->Read(path));
    }
}

TEST_F(ZipArchiveTest, PackFolderRoundTripsSortedSlashSeparatedPaths) {
    const std::vector<std::string> expected = {"InstallMainWnd.xml", "configure/configure.xml",
                                               "empty.txt", "skin/anima/1.png",
                                               "skin/combo_over.png"};
    EXPECT_EQ(archive_->Entries(), expected);
    EXPECT_EQ(archive_->Read("empty.txt"), Bytes());
    EXPECT_EQ(AsText(*archive_->Read("skin/anima/1.png")), std::string(5000, 'a'));
    EXPECT_EQ(AsText(*archive_->Read("InstallMainWnd.xml")), "<Window/>");
}

TEST_F(ZipArchiveTest, PackFolderIsDeterministicAndCompresses) {
    const fs::path touched = env_.Root() / "skin" / "InstallMainWnd.xml";
    fs::last_write_time(touched, fs::last_write_time(touched) - std::chrono::hours(50));
    EXPECT_EQ(PackFolder((env_.Root() / "skin").string()), zip_);
    // 5000 equal bytes would take more than the whole archive if stored.
    EXPECT_LT(zip_.size(), 5000u);
}

TEST_F(ZipArchiveTest, ArchiveKeepsItsOwnCopy) {
    auto copy = zip_;
    auto archive = ZipArchive::FromMemory(copy.data(), copy.size());
    ASSERT_TRUE(archive);
    std::fill(copy.begin(), copy.end(), 0);
    EXPECT_EQ(AsText(*archive->Read("skin/combo_over.png")), "combo picture");
}

TEST(ZipArchiveInput, RejectsWhatIsNotAZipArchive) {
    LogCapture log;
    const std::string garbage = "this is not a zip archive at all, just text";
    EXPECT_EQ(ZipArchive::FromMemory(nullptr, 0), nullptr);
    EXPECT_EQ(ZipArchive::FromMemory(garbage.data(), 0), nullptr);
    EXPECT_EQ(ZipArchive::FromMemory(garbage.data(), garbage.size()), nullptr);
}

TEST(ZipArchiveInput, TruncatedArchiveIsRejected) {
    LogCapture log;
    cvdtest::TempEnv env;
    env.WriteFile("skin/a.xml", "<a/>");
    auto zip = *PackFolder((env.Root() / "skin").string());
    zip.resize(zip.size() - 10);
    EXPECT_EQ(ZipArchive::FromMemory(zip.data(), zip.size()), nullptr);
}

TEST(ZipArchiveInput, DamagedEntryDataReadsAsMissing) {
    LogCapture log;
    cvdtest::TempEnv env;
    env.WriteFile("skin/a.txt", std::string(2000, 'x'));
    auto zip = *PackFolder((env.Root() / "skin").string());
    // Flip bytes of the compressed data, which follows the local header, name and extra field.
    const std::size_t data_start = 30 + (zip[26] | zip[27] << 8) + (zip[28] | zip[29] << 8);
    for (std::size_t i = data_start; i < data_start + 4; ++i) zip[i] ^= 0x5A;
    auto archive = ZipArchive::FromMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    EXPECT_FALSE(archive->Read("a.txt"));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_NE(log.lines.back().find("a.txt"), std::string::npos);
}

TEST(ZipArchiveInput, StoredEntriesAreRead) {
    // A stored (uncompressed) archive as other zip tools write it, holding "hi" in a\b.txt.
    const Bytes zip = StoredZip("a\\B.txt", "hi");
    auto archive = ZipArchive::FromMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    EXPECT_EQ(AsText(*archive->Read("A/b.TXT")), "hi");
}

TEST(PackFolder, EmptyFolderGivesAnEmptyArchive) {
    cvdtest::TempEnv env;
    fs::create_directories(env.Root() / "empty" / "sub");
    auto zip = PackFolder((env.Root() / "empty").string());
    ASSERT_TRUE(zip);
    auto archive = ZipArchive::FromMemory(zip->data(), zip->size());
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->Entries().empty());
}

TEST(PackFolder, MissingFolderOrFileGivesNothing) {
    LogCapture log;
    cvdtest::TempEnv env;
    const auto file = env.WriteFile("file.txt", "x");
    EXPECT_FALSE(PackFolder((env.Root() / "absent").string()));
    EXPECT_FALSE(PackFolder(file.string()));
    EXPECT_FALSE(log.lines.empty());
}

TEST(PackFolder, SymbolicLinksAreNotFollowed) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege ordinary Windows users lack";
#endif
    cvdtest::TempEnv env;
    const auto secret = env.WriteFile("outside/secret.txt", "secret");
    env.WriteFile("skin/a.xml", "<a/>");
    fs::create_symlink(secret, env.Root() / "skin" / "link.txt");
    fs::create_directory_symlink(env.Root() / "outside", env.Root() / "skin" / "dir");
    auto zip = *PackFolder((env.Root() / "skin").string());
    auto archive = ZipArchive::FromMemory(zip.data(), zip.size());
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->Entries(), std::vector<std::string>{"a.xml"});
}

}  // namespace
}  // namespace toolkit
