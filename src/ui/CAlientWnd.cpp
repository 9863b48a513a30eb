#include "ui/CAlientWnd.h"

#include <algorithm>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/Thread.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"
#include "telemetry/SingleUserLog.h"
#include "ui/LanguageFiles.h"
#include "toolkit/Shell.h"
#include "ui/MessageBoxWnd.h"

namespace {
// One counter for the process: a second animation window carries on where the first stopped.
std::atomic<std::uint64_t> g_frame{0};
constexpr int kWidth = 600;
constexpr int kHeight = 400;
}  // namespace

CAlientWnd::CAlientWnd(StartData data, ProductStarter starter)
    : data_(std::move(data)), starter_(std::move(starter)) {}

CAlientWnd::~CAlientWnd() = default;

std::string CAlientWnd::FramePicture(std::uint64_t frame) {
    char path[32];
    std::snprintf(path, sizeof path, "skin/gif/bg%.2d.png", static_cast<int>(frame % kFrameCount));
    return path;
}

std::uint64_t CAlientWnd::FrameCounter() { return g_frame.load(); }

void CAlientWnd::ShowModalWindow() {
    if (!Create(nullptr, FuntionImpl::Utf16ToUtf8(data_.caption))) return;
    // The caption is the product name; the layout sets the final size.
    const toolkit::Size screen = toolkit::ScreenSize();
    MoveTo({(screen.cx - kWidth) / 2, (screen.cy - kHeight) / 2});
    ShowModal();
}

void CAlientWnd::InitWindow() {
    Manager().SetRightToLeft(language::IsRightToLeft(data_.languageIndex));
    foreImage_ = FindControl("foreImage");
    SetTimer(kFrameTimer, kFrameMs);
    CVD_LOG << " init animal window";
    // The thread posts its close through the port, so it never touches a window that is gone.
    auto port = Port();
    auto data = data_;
    auto starter = starter_;
    WindowBase* self = this;
    platform::Thread::Start([port, data, starter, self] {
        CVD_LOG << "start run app in animal window";
        const std::int32_t result = starter ? starter(data.quotedExe, data.admin, data.args) : -1;
        if (result != 0) {
            CSingleUserLog::Instance().AddUserLog("Other", "FlowError", "DL019", false);
            CSingleUserLog::Instance().AddUserLog_funnel("ErrorReporting", "Error", "MainErrorType",
                                                         "DL019");
            // The window stays open until this box is answered: the close comes after it.
            toolkit::InvokeOnUiThread([&] {
                // On the UI thread the window cannot vanish while we look: own the box only
                // while the window still exists.
                return ShowMessageBox(MSG_CLICK_SHORTCUT, data.languageIndex,
                                      port.lock() ? self : nullptr);
            });
        } else {
            platform::SleepMs(static_cast<std::uint32_t>(std::max(0, data.waitSeconds)) * 1000u);
        }
        if (auto alive = port.lock()) alive->Post(toolkit::kMsgClose);
    });
}

bool CAlientWnd::OnTimer(int id) {
    if (id != kFrameTimer) return false;
    if (foreImage_) foreImage_->SetBkImage(FramePicture(g_frame++));
    return true;
}

void CAlientWnd::OnClick(toolkit::NotifyMsg& msg) {
    if (!msg.sender) return;
    if (msg.sender->GetName() == "closebtn")
        Close(2);
    else if (msg.sender->GetName() == "minbtn")
        Minimize();
}
