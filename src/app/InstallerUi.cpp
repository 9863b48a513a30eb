#include "app/InstallerUi.h"

#include <thread>

#include "install/InstallTasks.h"
#include "sys/TextConvert.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Shell.h"
#include "ui/InstallUIMainWnd.h"
#include "ui/MessageBoxWnd.h"
#include "ui/SkinPackage.h"

namespace app {

InstallerUi::InstallerUi(std::shared_ptr<install::IInstallTasks> tasks) : tasks_(std::move(tasks)) {
    RegisterExtendedControls();  // before any layout names them
}

InstallerUi::~InstallerUi() = default;

void InstallerUi::ShowStartupBox(std::int32_t kind, std::int32_t languageIndex) {
    if (!toolkit::InitShell()) return;  // no display: nobody to tell
    ShowMessageBox(static_cast<EnumMsgType>(kind), languageIndex, nullptr);
}

bool InstallerUi::OpenMainWindow(const std::wstring& caption, std::uint32_t startTick) {
    if (!toolkit::InitShell()) return false;
    window_ = std::make_unique<InstallUIMainWnd>(tasks_, startTick);
    if (!window_->Create(nullptr, FuntionImpl::Utf16ToUtf8(caption))) {
        window_.reset();
        return false;
    }
    window_->CenterWindow();
    window_->ShowWindow(true);
    window_->Restore();  // to the front, with focus
    return true;
}

void InstallerUi::RunMessageLoop() { toolkit::RunMessageLoop(); }

void InstallerUi::BringMainWindowToFront() {
    // Not on the listener's thread: it is joined on the UI thread when the loop has ended, and a
    // call waiting there for the UI thread would never return. The window is checked on the UI
    // thread, where it is also destroyed.
    std::thread([this] {
        toolkit::InvokeOnUiThread([this] {
            if (window_ && window_->IsCreated()) window_->Restore();
            return 0;
        });
    }).detach();
}

void InstallerUi::ShutDownToolkit() {
    window_.reset();
    toolkit::ResourceManager::Instance().Release();
}

}  // namespace app
