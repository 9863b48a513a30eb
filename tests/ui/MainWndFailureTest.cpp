// How a failed attempt ends: its box, the failure view and what the boxes discard.
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "sys/TextConvert.h"
#include "ui/InstallUIMainWnd.h"

namespace {

using uitest::BoxAnswerer;
using uitest::ItemOf;
using uitest::Selected;
using uitest::Settle;
using uitest::SettleUntil;
using uitest::Text;
using uitest::Visible;
using MainWindow = uitest::MainWindowTest;

TEST(MainWindowRules, TheHostPingedAfterAFailedDownload) {
    const struct {
        const wchar_t* url;
        int result;
        const wchar_t* host;
    } rows[] = {
        {L"https://cdn.example.com/pkg/setup.exe", 0, L"cdn.example.com"},
        {L"http://10.0.0.2:8080/a", 0, L"10.0.0.2:8080"},
        {L"", -1, L""},
        {L"http://localhost/setup", -2, L""},  // a bare host name: nothing is sent
        {L"https://cdn.example.com", -3, L""},
        {L"cdn.example.com/setup", -4, L""},
        {L"https:/.x/y", 0, L".x"},
        {L"a/.b/c", 0, L".b"},
    };
    for (const auto& row : rows) {
        std::wstring host;
        EXPECT_EQ(InstallUIMainWnd::PingHostOf(row.url, host), row.result)
            << FuntionImpl::Utf16ToUtf8(row.url);
        if (row.result == 0) {
            EXPECT_EQ(host, row.host);
        }
    }
}

TEST_F(MainWindow, EachDownloadFailureShowsItsBoxAndTheFailureView) {
    const struct {
        int code;
        std::vector<int> boxes;
        int tooManyRequests;
    } rows[] = {
        {9, {MSG_INTERNET_FAIL}, 0},     {10, {MSG_INTERNET_TIMEOUT}, 0},
        {11, {MSG_INTERNET_TIMEOUT}, 1}, {14, {MSG_URL_FAIL}, 0},
        {6, {MSG_URL_FAIL}, 0},          {0, {}, 0},
    };
    for (const auto& row : rows) {
        tasks_->tooManyRequests = 0;
        auto w = OpenWindow();
        StartInstall(*w);
        Post(*w, WM_INSTALL_PROGRESS, 20);
        BoxAnswerer answer("btn_yes");
        Post(*w, WM_INSTALL_FAILED, static_cast<std::uintptr_t>(row.code));
        EXPECT_EQ(answer.Kinds(), row.boxes) << "code " << row.code;
        EXPECT_EQ(tasks_->tooManyRequests, row.tooManyRequests) << "code " << row.code;
        EXPECT_EQ(Selected(*w, "main_tablayout"), 0) << "code " << row.code;
        EXPECT_EQ(Selected(*w, "page_layout"), 1) << "code " << row.code;
        EXPECT_TRUE(Visible(*w, "layout_install_fail")) << "code " << row.code;
        EXPECT_FALSE(Visible(*w, "layout_install_ok")) << "code " << row.code;
        EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
    }
}

TEST_F(MainWindow, TimeoutAndSignatureFailureAskAndMayDiscardTheDownload) {
    const struct {
        std::uint32_t message;
        int box;
    } rows[] = {{WM_INSTALL_TIMEOUT, MSG_INSTALL_TIMEOUT},
                {WM_INSTALL_SIGNATURE_FAIL, MSG_MD5_FAIL}};
    for (const auto& row : rows) {
        tasks_->clears = 0;
        auto w = OpenWindow();
        StartInstall(*w);
        BoxAnswerer answer("btn_yes");
        Post(*w, row.message);
        Settle();
        EXPECT_EQ(answer.Kinds(), std::vector<int>{row.box});
        EXPECT_EQ(tasks_->clears, 1) << row.box;  // the box's confirm discards the files
        EXPECT_TRUE(Visible(*w, "layout_install_fail"));
        EXPECT_EQ(w->ResultState(), InstallUIMainWnd::kResultShown);
    }
}

}  // namespace
