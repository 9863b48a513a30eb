// The log's descriptor on POSIX systems, where a started program inherits every descriptor not
// marked close-on-exec.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TempEnv.h"
#include "sys/Log.h"

namespace {

// The product, started as the desktop user by a root installer, must not inherit a descriptor
// that writes into root's log.
TEST(ConfigureLogger, TheLogFileIsClosedOnExec) {
    cvdtest::TempEnv env;
    const auto file = env.Root() / "logs" / "installer.log";
    FuntionImpl::ConfigureLogger(file.wstring());
    struct stat log {};
    ASSERT_EQ(::stat(file.c_str(), &log), 0);
    int open = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        struct stat held {};
        if (::fstat(fd, &held) != 0 || held.st_dev != log.st_dev || held.st_ino != log.st_ino)
            continue;
        ++open;
        EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC) << fd;
    }
    EXPECT_GE(open, 1);
}

}  // namespace
