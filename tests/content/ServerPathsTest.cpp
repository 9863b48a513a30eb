#include "content/ServerPaths.h"

#include <gtest/gtest.h>

namespace {

using content::BannerPicturePath;
using content::SubProgramLocalPath;

TEST(BannerPicturePath, SortAndTheUrlsExtension) {
    EXPECT_EQ(BannerPicturePath(L"/w/", 2, L"https://cdn/b/pic.png"), L"/w/2.png");
    EXPECT_EQ(BannerPicturePath(L"/w/", 10, L"https://cdn/b/pic.jpeg"), L"/w/10.jpeg");
    EXPECT_EQ(BannerPicturePath(L"/w/", -1, L"https://cdn/b/pic.gif"), L"/w/-1.gif");
}

TEST(BannerPicturePath, ExtensionsLeadingOutOfTheFolderAreRefused) {
    const wchar_t* refused[] = {
        L"https://cdn/pic.png/../../etc/passwd", L"https://cdn/pic.png\\..\\x",
        L"https://127.0.0.1/banner?id=3",  // the last '.' lies in the host
        L"https://cdn/pic.png:stream", L"https://cdn/pic.", L"https://cdn/pic.png ",
    };
    for (const wchar_t* url : refused)
        EXPECT_FALSE(BannerPicturePath(L"/w/", 1, url).has_value()) << std::wstring(url).size();
}

TEST(SubProgramLocalPath, StemVersionExtension) {
    EXPECT_EQ(SubProgramLocalPath(L"/w/", L"https://cdn/kits/tool.exe", L"1.2.0"),
              L"/w/tool_1.2.0.exe");
    EXPECT_EQ(SubProgramLocalPath(L"/w/", L"https://cdn/kits/tool.setup.exe?sig=a/b", L"3"),
              L"/w/tool.setup_3.exe");
    EXPECT_EQ(SubProgramLocalPath(L"/w/", L"https://cdn/kits/tool", L"1"), L"/w/tool_1");
}

TEST(SubProgramLocalPath, VersionsAndNamesLeadingOutAreRefused) {
    struct Case {
        const wchar_t* url;
        const wchar_t* version;
    };
    const Case refused[] = {
        {L"https://cdn/tool.exe", L"../../../x"},
        {L"https://cdn/tool.exe", L"1/2"},
        {L"https://cdn/tool.exe", L"1\\..\\2"},
        {L"https://cdn/a\\..\\b.exe", L"1"},
        {L"https://cdn/tool.exe", L"C:"},
        {L"https://cdn/tool.exe", L"1."},  // "tool_1..exe"
        {L"https://cdn/tool", L"1 "},
        {L"https://cdn/tool", L"1."},
    };
    for (const Case& c : refused)
        EXPECT_FALSE(SubProgramLocalPath(L"/w/", c.url, c.version).has_value())
            << std::wstring(c.url).size() << " " << std::wstring(c.version).size();
    EXPECT_FALSE(SubProgramLocalPath(L"/w/", L"https://cdn/tool.exe", std::wstring(L"1\0/", 3)));
}

}  // namespace
