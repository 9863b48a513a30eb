#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "TempEnv.h"
#include "platform/Paths.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

using namespace FuntionImpl;
namespace fs = std::filesystem;

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

TEST(DebugSwitchOn, OnOnlyForTheValueOne) {
    cvdtest::TempEnv env;
    const std::pair<const char*, bool> cases[] = {
        {"[Settings]\nAutoRun=1\n", true},
        {"[Settings]\nAutoRun=01\n", true},
        {"[Settings]\nAutoRun=0\n", false},
        {"[Settings]\nAutoRun=2\n", false},
        {"[Settings]\nAutoRun=-1\n", false},
        {"[Settings]\nAutoRun=\n", false},
        {"AutoRun=1\n", false},
        {"[Other]\nAutoRun=1\n", false},
    };
    for (const auto& [text, on] : cases) {
        const fs::path file = env.WriteFile("cv_downloader.cfg", text);
        EXPECT_EQ(DebugSwitchOn(Utf8ToUtf16(file.string()), L"AutoRun"), on) << text;
    }
    EXPECT_FALSE(DebugSwitchOn(Utf8ToUtf16((env.Root() / "none.cfg").string()), L"AutoRun"));
    EXPECT_FALSE(DebugSwitchOn(L"", L"AutoRun"));
}

TEST(DebugSettingsPath, LiesBesideTheExecutable) {
    const fs::path module = Utf16ToUtf8(platform::ModulePath());
    EXPECT_EQ(fs::path(Utf16ToUtf8(DebugSettingsPath())),
              module.parent_path() / "cv_downloader.cfg");
}

// Uses the real file beside the test program, so it also shows that every query reads the file
// anew: it may appear, change and vanish while the program runs.
TEST(DebugSettings, EachQueryReadsTheFileBesideTheExecutable) {
    const fs::path file = Utf16ToUtf8(DebugSettingsPath());
    if (fs::exists(file)) GTEST_SKIP() << file << " already exists";
    struct Remover {
        fs::path path;
        ~Remover() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } remover{file};

    const std::pair<const char*, std::function<bool()>> switches[] = {
        {"TestEnv", TestEnv},     {"ReplacePackage", ReplacePackage},
        {"AutoRun", AutoRun},     {"FullLog", FullLog},
        {"NoGA4", NoGA4},         {"NoBigData", NoBigData},
        {"CrashTest", CrashTest}, {"GATestAccount", GATestAccount},
    };
    for (const auto& [key, query] : switches) {
        EXPECT_FALSE(query()) << key << " without the file";
        WriteText(file, std::string("[Settings]\n") + key + "=1\n");
        EXPECT_TRUE(query()) << key;
        WriteText(file, std::string("[Settings]\n") + key + "=0\n");
        EXPECT_FALSE(query()) << key << " set to 0";
        fs::remove(file);
    }
}

}  // namespace
