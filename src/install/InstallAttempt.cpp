#include "install/InstallAttempt.h"

#include "config/CConfigure.h"
#include "sys/Log.h"

namespace install {

bool InstallAttempt::Stopped() const {
    if (!CConfigure::Instance().GetIsExiting()) return false;
    CVD_LOG << "force break thread !!!";
    return true;
}

void InstallAttempt::Post(std::uint32_t message, std::uintptr_t wParam) const {
    if (auto target = window.GetMessageTarget()) target->PostCustomMessage(message, wParam, 0);
}

std::string InstallAttempt::RetryLabel(const std::string& otherwise) const {
    return CConfigure::Instance().UserRetried ? "Retry" : otherwise;
}

}  // namespace install
