#include "telemetry/ExportedFunctions.h"

#include <memory>
#include <string>

#include "platform/Thread.h"
#include "telemetry/WebLog.h"

namespace {

constexpr int kIdentityAttempts = 3;

void SendNsisRecord(std::int32_t opId, std::int32_t softwareId, std::int32_t siteId,
                    std::int32_t versionId) {
    const auto service = std::make_unique<WebLog>();
    for (int attempt = 0; attempt < kIdentityAttempts; ++attempt) {
        std::string clientId;
        std::string productLine;
        service->GetLegacyIdentity(clientId, productLine);
        if (!clientId.empty() || !productLine.empty()) {
            service->SendLegacyUserLog(opId, 1, "", "", softwareId, siteId, versionId);
            return;
        }
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) IWebLog* CreateExportObj() { return new WebLog(); }

__attribute__((visibility("default"))) void DestroyExportObj(IWebLog* object) { delete object; }

__attribute__((visibility("default"))) std::int32_t NSISLog(std::int32_t opId,
                                                            std::int32_t softwareId,
                                                            std::int32_t siteId,
                                                            std::int32_t versionId) {
    platform::Thread::Start([=] { SendNsisRecord(opId, softwareId, siteId, versionId); });
    return 0;
}

}  // extern "C"
