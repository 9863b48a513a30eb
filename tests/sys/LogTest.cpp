#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "TempEnv.h"
#include "sys/Log.h"

namespace {

TEST(ConfigureLogger, InfoLinesGoToTheFileInTheProgramsFormat) {
    cvdtest::TempEnv env;
    const auto file = env.Root() / "logs" / "installer.log";
    FuntionImpl::ConfigureLogger(file.wstring());

    CVD_LOG << " Wait exit 1";
    el::Loggers::flushAll();

    const std::string text = cvdtest::ReadFile(file);
    const std::regex line(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2},\d{3}--\[Thread\]\([^)]+\)  Wait exit 1\n)");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
}

}  // namespace
