#include "install/StartErrorEvents.h"

#include "download/DownloadEvents.h"
#include "sys/ProductStart.h"

namespace install {

void InstallStartErrorEvents() {
    FuntionImpl::SetStartErrorReporter([](const std::string& error) {
        DownloadEvents().ga4("Other", "StartWindowError", error);
        DownloadEvents().funnel("Launch", "StartWindowError", "StartWindowErrorType", error);
    });
}

}  // namespace install
