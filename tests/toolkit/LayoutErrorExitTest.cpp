// The process end after a layout document that cannot be built.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TempEnv.h"
#include "toolkit/Shell.h"

namespace toolkit {
namespace {

std::string g_handlerMarker;

TEST(LayoutErrorExit, EndsWithCodeOneWithoutExitHandlersWhileOtherThreadsRun) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must see the marker path set here
    cvdtest::TempEnv env;
    g_handlerMarker = (env.Root() / "exit-handlers-ran").string();
    EXPECT_EXIT(
        {
            ::unsetenv("DISPLAY");  // the box goes to standard error
            ::unsetenv("WAYLAND_DISPLAY");
            std::atexit([] { std::ofstream(g_handlerMarker) << "static destructors ran"; });
            std::thread([] {
                for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
            }).detach();
            FailLayoutDocument("skin/main.xml");
        },
        testing::ExitedWithCode(1), "skin/main.xml");
    EXPECT_FALSE(std::filesystem::exists(g_handlerMarker));
}

}  // namespace
}  // namespace toolkit
