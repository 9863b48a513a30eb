// A package file that is still being executed (an earlier copy of the setup) is freed by ending
// that process, then downloaded over.
#include <gtest/gtest.h>

#include <filesystem>

#include "DownloadTestSupport.h"
#include "config/CConfigure.h"
#include "download/CDownLoadImpl.h"
#include "platform/FsPath.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "sys/TextConvert.h"

namespace {

namespace fs = std::filesystem;

TEST(PackageInUse, TheRunningPackageIsEndedAndDownloadedOver) {
    CConfigure::Instance().ResetForTesting();
    cvdtest::TempEnv env;
    cvdtest::RecordingEvents events;
    cvdtest::LogCapture log(env.Root() / "download.log");
    fs::create_directories(env.Root() / "www");
    cvdtest::CdnStand stand(env.Root() / "www", env.Root() / "nginx");
    ASSERT_TRUE(stand.Started());
    const fs::path source = env.Root() / "www" / "setup.exe";
    cvdtest::WriteRandomFile(source, 5 * 1048576 + 3, 11);

    const fs::path package = env.Root() / "dl" / "setup.exe";
    fs::create_directories(package.parent_path());
    // A copy of this test program, held running (see DownloadMain.cpp).
    fs::copy_file(platform::FsPath(platform::ModulePath()), package);
    platform::ProcessOptions options;
    options.program = platform::WidePath(package);
    options.commandLine = L" --hold 60";
    auto running = platform::Process::Start(options);
    ASSERT_TRUE(running);

    CDownLoadImpl impl(nullptr);
    std::string cdnInfo;
    EXPECT_EQ(impl.SuperDownloadFile(FuntionImpl::Utf8ToUtf16(stand.Http("setup.exe")),
                                     platform::WidePath(package), cdnInfo, false, true),
              Success);
    EXPECT_TRUE(running->Wait(5000));
    EXPECT_TRUE(cvdtest::SameBytes(source, package));
    EXPECT_TRUE(log.Contains("local file is NULL error code = 32"));
    EXPECT_FALSE(log.Contains("after kill local file is NULL"));
    EXPECT_TRUE(events.Matching("ga4|Other|OpenFileErrCode").empty());
    CConfigure::Instance().ResetForTesting();
}

}  // namespace
