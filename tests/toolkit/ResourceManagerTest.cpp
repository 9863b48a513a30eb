#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "TempEnv.h"
#include "ToolkitTestSupport.h"
#include "toolkit/ResourceManager.h"

namespace toolkit {
namespace {

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.WriteFile("skin/skin/combo_over.png", "picture");
        zip_ = *PackFolder((env_.Root() / "skin").string());
    }
    void TearDown() override { ResourceManager::Instance().Release(); }

    ResourceManager& rm_ = ResourceManager::Instance();
    cvdtest::TempEnv env_;
    Bytes zip_;
};

TEST_F(ResourceManagerTest, LoadsFromACopyOfTheArchive) {
    Bytes copy = zip_;
    ASSERT_TRUE(rm_.SetZipArchive(copy.data(), copy.size()));
    copy.assign(copy.size(), 0);
    EXPECT_TRUE(rm_.HasArchive());
    EXPECT_EQ(AsText(*rm_.Load("skin\\Combo_over.png")), "picture");
    EXPECT_FALSE(rm_.Load("skin\\missing.png"));
}

TEST_F(ResourceManagerTest, BadOrEmptyDataLeavesNoArchive) {
    LogCapture log;
    ASSERT_TRUE(rm_.SetZipArchive(zip_.data(), zip_.size()));
    const std::string junk = "junk";
    EXPECT_FALSE(rm_.SetZipArchive(junk.data(), junk.size()));
    EXPECT_FALSE(rm_.HasArchive());
    EXPECT_FALSE(rm_.SetZipArchive(nullptr, 0));
    EXPECT_FALSE(rm_.Load("skin/combo_over.png"));
}

TEST_F(ResourceManagerTest, ReleaseDropsTheArchive) {
    ASSERT_TRUE(rm_.SetZipArchive(zip_.data(), zip_.size()));
    rm_.Release();
    EXPECT_FALSE(rm_.HasArchive());
    EXPECT_FALSE(rm_.Load("skin/combo_over.png"));
}

TEST_F(ResourceManagerTest, ResourceFolderGetsATrailingSeparator) {
    const std::pair<const char*, const char*> rows[] = {
        {"skin", "skin\\"}, {"skin\\", "skin\\"}, {"skin/", "skin/"}, {"", ""}};
    for (const auto& [given, expected] : rows) {
        rm_.SetResourceFolder(given);
        EXPECT_EQ(rm_.ResourceFolder(), expected) << "given " << given;
    }
}

// Readers on several threads while the archive is swapped and released underneath them.
TEST_F(ResourceManagerTest, ConcurrentReadsAndSwaps) {
    ASSERT_TRUE(rm_.SetZipArchive(zip_.data(), zip_.size()));
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                auto bytes = rm_.Load("skin/combo_over.png");
                if (bytes && AsText(*bytes) != "picture") ++wrong;
            }
        });
    }
    for (int i = 0; i < 200; ++i) {
        rm_.SetZipArchive(zip_.data(), zip_.size());
        if (i % 10 == 0) rm_.Release();
    }
    stop = true;
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace toolkit
