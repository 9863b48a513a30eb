#include <gtest/gtest.h>
#include <unistd.h>

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

struct OwnershipCase {
    const char* name;
    fs::perms perms;
    uid_t owner;  // kSelf: the running user
    bool on;
};
constexpr uid_t kSelf = static_cast<uid_t>(-1);
constexpr uid_t kOtherUser = 12345;

// Another user must not be able to switch on AutoRun (or TestEnv, ...) for this one.
void ExpectOwnershipRules(const std::vector<OwnershipCase>& cases) {
    cvdtest::TempEnv env;
    const fs::path logFile = env.Root() / "log" / "test.log";
    ConfigureLogger(logFile.wstring());
    for (const OwnershipCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file =
            env.WriteFile(std::string(c.name) + "/cv_downloader.cfg", "[Settings]\nAutoRun=1\n");
        fs::permissions(file, c.perms);
        if (c.owner != kSelf) {
            ASSERT_EQ(::chown(file.c_str(), c.owner, c.owner), 0);
        }
        EXPECT_EQ(DebugSwitchOn(Utf8ToUtf16(file.string()), L"AutoRun"), c.on);
        el::Loggers::flushAll();
        const std::string ignored =
            " debug settings file ignored, another user could have written it: " + file.string();
        EXPECT_EQ(cvdtest::ReadFile(logFile).find(ignored) != std::string::npos, !c.on);
    }
}

TEST(DebugSwitchOn, AFileThatOthersMayWriteIsIgnoredAndLogged) {
    using P = fs::perms;
    ExpectOwnershipRules({
        {"owner only", P::owner_read | P::owner_write, kSelf, true},
        {"readable by all", P::owner_all | P::group_read | P::others_read, kSelf, true},
        {"group may write", P::owner_all | P::group_write, kSelf, false},
        {"others may write", P::owner_all | P::others_read | P::others_write, kSelf, false},
    });
}

TEST(DebugSwitchOn, AnotherUsersFileIsIgnoredAndLogged) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    using P = fs::perms;
    ExpectOwnershipRules({
        {"another user's", P::owner_read | P::owner_write | P::group_read | P::others_read,
         kOtherUser, false},
        {"root's", P::owner_read | P::owner_write | P::group_read | P::others_read, 0, true},
    });
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
