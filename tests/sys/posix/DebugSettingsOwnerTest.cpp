// The debug settings file's owner and mode on POSIX systems: a file another user could have
// written never switches anything on. (Windows keeps the file beside the installer in a folder
// only administrators may write.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempEnv.h"
#include "sys/DebugSettings.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

using namespace FuntionImpl;
namespace fs = std::filesystem;

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

}  // namespace
