// POSIX implementation: an xmessage window, centred, its title and text given as arguments.
#include "platform/NoticeBox.h"

#include "platform/Process.h"

namespace platform {
namespace {

class XMessageBox final : public NoticeBox {
public:
    explicit XMessageBox(std::unique_ptr<Process> process) : process_(std::move(process)) {}
    bool WaitClosed(std::uint32_t milliseconds) override { return process_->Wait(milliseconds); }

private:
    std::unique_ptr<Process> process_;
};

}  // namespace

std::unique_ptr<NoticeBox> NoticeBox::Show(const std::wstring& caption, const std::wstring& text) {
    ProcessOptions options;
    options.commandLine =
        L"xmessage -center -title " + QuoteArgument(caption) + L" " + QuoteArgument(text);
    auto process = Process::Start(options);
    if (!process) return nullptr;
    return std::make_unique<XMessageBox>(std::move(process));
}

}  // namespace platform
