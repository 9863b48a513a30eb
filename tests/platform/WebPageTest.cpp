#include <gtest/gtest.h>

#include "platform/WebPage.h"

namespace {

TEST(WebPage, OnlyHttpAndHttpsAddressesAreWebAddresses) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"https://vendor.example/thanks", true},
        {L"http://127.0.0.1:8080/", true},
        {L"HTTPS://VENDOR.EXAMPLE/", true},
        {L"https://", false},
        {L"file:///etc/passwd", false},
        {L"C:\\Windows\\System32\\calc.exe", false},
        {L"calc", false},
        {L"javascript:alert(1)", false},
        {L" https://vendor.example/", false},
        {L"", false},
    };
    for (const auto& [url, web] : cases) EXPECT_EQ(platform::IsWebAddress(url), web) << url;
}

TEST(WebPage, NothingIsOpenedForAnythingElse) {
    EXPECT_FALSE(platform::OpenWebPage(L"C:\\Windows\\System32\\calc.exe"));
    EXPECT_FALSE(platform::OpenWebPage(L"/bin/sh"));
}

}  // namespace
