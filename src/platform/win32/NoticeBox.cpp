// Windows implementation: MessageBoxW on a thread of its own, so the caller can keep checking
// whether it should stop waiting.
#include "platform/NoticeBox.h"

#include <windows.h>

#include "platform/Thread.h"

namespace platform {
namespace {

class SystemMessageBox final : public NoticeBox {
public:
    explicit SystemMessageBox(ThreadHandle thread) : thread_(std::move(thread)) {}
    bool WaitClosed(std::uint32_t milliseconds) override { return thread_->Wait(milliseconds); }

private:
    ThreadHandle thread_;
};

}  // namespace

std::unique_ptr<NoticeBox> NoticeBox::Show(const std::wstring& caption, const std::wstring& text) {
    auto thread = Thread::Start([caption, text] {
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_SETFOREGROUND);
    });
    if (!thread) return nullptr;
    return std::make_unique<SystemMessageBox>(std::move(thread));
}

}  // namespace platform
