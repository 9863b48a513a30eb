#include <gtest/gtest.h>

#include "platform/DebugOutput.h"

namespace {

TEST(DebugOutput, WritesOneUtf8LineToStderr) {
    testing::internal::CaptureStderr();
    platform::DebugOutput(L"\u521b\u5efa\u4e0b\u8f7d\u6587\u4ef6\u5939\u5931\u8d25");
    platform::DebugOutput(L"second");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\xE5\x88\x9B\xE5\xBB\xBA\xE4\xB8\x8B\xE8\xBD\xBD\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9"
              "\xE5\xA4\xB1\xE8\xB4\xA5\nsecond\n");
}

}  // namespace
