#include <gtest/gtest.h>

#include "ToolkitTestSupport.h"
#include "toolkit/Log.h"

namespace toolkit {
namespace {

TEST(Log, GoesToTheInstalledSinkAndBackToStandardError) {
    {
        LogCapture log;
        Log("first");
        Log("second");
        EXPECT_EQ(log.lines, (std::vector<std::string>{"first", "second"}));
    }
    testing::internal::CaptureStderr();
    Log("to stderr");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}

}  // namespace
}  // namespace toolkit
