#include "UiPages.h"

#include <cstdlib>

#include "config/CConfigure.h"
#include "install/InstallWindow.h"
#include "platform/Clock.h"
#include "toolkit/Button.h"
#include "toolkit/Container.h"
#include "toolkit/Render.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MessageBoxWnd.h"

namespace uipages {

std::optional<Page> ParsePage(const std::string& text) {
    static const std::pair<const char*, PageKind> plain[] = {
        {"settings", PageKind::Settings},   {"licence", PageKind::Licence},
        {"verifying", PageKind::Verifying}, {"installing", PageKind::Installing},
        {"success", PageKind::Success},     {"failure", PageKind::Failure},
    };
    for (const auto& [name, kind] : plain)
        if (text == name) return Page{kind, 0};
    auto number = [&](const std::string& prefix, int low, int high) -> std::optional<int> {
        if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size()) return std::nullopt;
        char* end = nullptr;
        const long value = std::strtol(text.c_str() + prefix.size(), &end, 10);
        if (*end != '\0' || value < low || value > high) return std::nullopt;
        return static_cast<int>(value);
    };
    if (auto percent = number("running:", 0, 100)) return Page{PageKind::Running, *percent};
    if (auto kind = number("box:", 0, MSG_KIND_COUNT - 1)) return Page{PageKind::Box, *kind};
    return std::nullopt;
}

std::int32_t ShowOnlyTasks::BeginInstallTask(install::IInstallPage& window) {
    CConfigure::Instance().SetInstallState(1);
    window.ShowRunningPage();
    return 0;
}

void Settle() {
    for (int i = 0; i < 5; ++i) toolkit::PumpMessages();
}

bool SettleUntil(const std::function<bool()>& done, int timeoutMs) {
    const std::uint32_t start = platform::TickCount();
    while (!done()) {
        if (static_cast<int>(platform::TickCount() - start) > timeoutMs) return false;
        toolkit::PumpMessages();
        platform::SleepMs(5);
    }
    return true;
}

namespace {

void Post(InstallUIMainWnd& window, std::uint32_t message, std::uintptr_t wParam = 0) {
    window.GetMessageTarget()->PostCustomMessage(message, wParam, 0);
    Settle();
}

// The failure box is modal; answer it from the loop it runs, as a user pressing its button.
void ConfirmNextBox() {
    toolkit::RepeatOnUiThread(50, [] {
        MessageBoxWnd* box = MessageBoxWnd::Topmost();
        if (!box) return true;
        box->Press("btn_yes");
        return false;
    });
}

void Download(InstallUIMainWnd& window, int percent) {
    window.ClickControl("install_btn");
    Settle();
    for (int p = 0; p <= percent; p += 8)
        Post(window, WM_INSTALL_PROGRESS, static_cast<std::uintptr_t>(p));
    Post(window, WM_INSTALL_PROGRESS, static_cast<std::uintptr_t>(percent));
}

}  // namespace

void DriveTo(InstallUIMainWnd& window, const Page& page) {
    CConfigure& config = CConfigure::Instance();
    switch (page.kind) {
        case PageKind::Settings:
        case PageKind::Box:
            break;
        case PageKind::Licence:
            if (auto* setting = window.FindControl("install_setting"))
                if (auto* option = setting->As<toolkit::OptionUI>("Option"))
                    option->Selected(true, true);
            if (auto* tab = window.FindControl("set_layout"))
                if (auto* layout = tab->As<toolkit::TabLayoutUI>("TabLayout"))
                    layout->SelectItem(0);
            break;
        case PageKind::Running:
            Download(window, page.value);
            break;
        case PageKind::Verifying:
            Download(window, 64);
            Post(window, WM_INSTALL_VERIFYING);
            break;
        case PageKind::Installing:
            Download(window, 64);
            Post(window, WM_INSTALL_VERIFYING);
            // A 200 MiB package: the installation stage advances one percent every 1168 ms.
            config.SetPackageSize(200ll * 1048576);
            config.SetInstallStage(1);
            Post(window, WM_INSTALL_RUNNING);
            break;
        case PageKind::Success:
            Download(window, 64);
            Post(window, WM_INSTALL_VERIFYING);
            // The product's installer has ended: the pacing timer runs up to 100 and posts success.
            config.SetPackageSize(0);
            config.SetInstallStage(2);
            Post(window, WM_INSTALL_RUNNING);
            SettleUntil([&] { return window.ResultState() == InstallUIMainWnd::kResultShown; },
                        15000);
            break;
        case PageKind::Failure:
            Download(window, 23);
            ConfirmNextBox();
            Post(window, WM_INSTALL_FAILED, 10);
            break;
    }
    Settle();
}

bool WritePng(toolkit::WindowBase& window, const std::string& path, std::string& error) {
    Settle();
    return toolkit::RenderToPng(window.Manager(), window.ClientSize(), path, error);
}

bool WriteBoxPng(int kind, int languageIndex, const std::string& path, std::string& error) {
    MessageBoxWnd box(static_cast<EnumMsgType>(kind), languageIndex);
    if (!box.Create(nullptr, "MSGUIDemo")) {
        error = "no display";
        return false;
    }
    return WritePng(box, path, error);
}

}  // namespace uipages
