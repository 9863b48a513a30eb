#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "TempEnv.h"
#include "Watchdog.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "platform/WindowActivation.h"

namespace {

using platform::ActivateWindow;
using platform::ActivationResult;
using platform::WindowActivationListener;

// The address of the activation socket of "CV_UI_Frame_185" in this test's runtime folder.
sockaddr_un SocketAddressOf185() {
    const std::string path =
        platform::WideToUtf8(platform::RuntimeFolder()) + "CV_UI_Frame_185.sock";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    return address;
}

TEST(WindowActivation, ASecondStartReachesTheListeningWindow) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    std::atomic<int> activations{0};
    auto listener = WindowActivationListener::Listen(L"CV_UI_Frame_185", [&] { ++activations; });
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::Activated);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::Activated);
    EXPECT_EQ(activations.load(), 2);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_186"), ActivationResult::NoWindow);  // other product
}

TEST(WindowActivation, NoWindowOnceTheListenerIsGoneOrLeftAStaleSocket) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::NoWindow);
    {
        auto listener = WindowActivationListener::Listen(L"CV_UI_Frame_185", [] {});
        ASSERT_NE(listener, nullptr);
    }
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::NoWindow);

    // A socket file whose owner died: nobody accepts on it.
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = SocketAddressOf185();
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(dead);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::NoWindow);
    // ... and the next owner takes its place.
    auto listener = WindowActivationListener::Listen(L"CV_UI_Frame_185", [] {});
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::Activated);
}

TEST(WindowActivation, OnlyTheExactRequestActivates) {
    cvdtest::TempEnv env;
    cvdtest::Watchdog watchdog(30);
    std::atomic<int> activations{0};
    auto listener = WindowActivationListener::Listen(L"CV_UI_Frame_185", [&] { ++activations; });
    ASSERT_NE(listener, nullptr);
    for (const std::string request : {"", "activ", "hello world, a much longer line\n"}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = SocketAddressOf185();
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (!request.empty()) {
            ASSERT_GT(::write(fd, request.data(), request.size()), 0);
        }
        ::shutdown(fd, SHUT_WR);
        char answer[8];
        EXPECT_LE(::read(fd, answer, sizeof answer), 0) << request;  // closed without an answer
        ::close(fd);
    }
    EXPECT_EQ(activations.load(), 0);
    EXPECT_EQ(ActivateWindow(L"CV_UI_Frame_185"), ActivationResult::Activated);
}

// Child side of the test below: a second start hangs up while the first instance brings its
// window forward, so the answer goes to a closed peer. Exits 0 when the listener survived it.
[[noreturn]] void HangUpBeforeTheAnswer() {
    ::signal(SIGPIPE, SIG_DFL);
    cvdtest::TempEnv env;
    platform::Event activated, hungUp;
    auto listener = WindowActivationListener::Listen(L"CV_UI_Frame_185", [&] {
        activated.Set();
        hungUp.Wait(10000);
    });
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = SocketAddressOf185();
    const bool sent = listener &&
                      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::write(fd, "activate\n", 9) == 9 && activated.Wait(10000);
    ::close(fd);
    hungUp.Set();
    // Requests are served one after the other: this one is answered only after the first answer
    // went to the closed peer.
    const bool alive = ActivateWindow(L"CV_UI_Frame_185") == ActivationResult::Activated;
    std::exit(sent && alive ? 0 : 1);
}

// A second start that hung up must not end the first instance with SIGPIPE, whatever a library
// did or did not ignore for the whole process.
TEST(WindowActivation, APeerThatHangsUpBeforeTheAnswerDoesNotEndTheListener) {
    EXPECT_EXIT(HangUpBeforeTheAnswer(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
