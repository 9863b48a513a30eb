// UTF-32 wide text: every wchar_t is a code point of its own.
#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {

TEST(Text, CodePointsBeyondUnicodeAndSurrogatesBecomeReplacement) {
    const std::wstring text = {L'a', wchar_t(0xD800), wchar_t(0xDFFF), wchar_t(0x110000), L'b'};
    EXPECT_EQ(platform::WideToUtf8(text),
              "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "b");
}

}  // namespace
