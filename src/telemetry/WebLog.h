// The reporting service object: the HTTP client and identity values behind every report.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/CurlHttpClient.h"
#include "telemetry/IWebLog.h"
#include "telemetry/ReportFolder.h"

class WebLog : public IWebLog {
public:
    WebLog();

    std::int32_t SendLegacyUserLog(std::int32_t opId, std::int32_t result,
                                   const std::string& regEmail, const std::string& resultData,
                                   std::int32_t softwareId, std::int32_t siteId,
                                   std::int32_t versionId) override;
    std::int32_t GetLegacyIdentity(std::string& clientId, std::string& productLine) override;
    std::int32_t Reserved1() override { return -1; }
    std::int32_t Reserved2() override { return -1; }
    std::int32_t Reserved3() override { return -1; }
    std::int32_t Reserved4() override { return -1; }
    std::int32_t QueryTools(std::int32_t languageId, std::int32_t softwareId,
                            std::string& answer) override;
    std::int32_t QueryDownloader(std::int32_t languageId, std::int32_t softwareId,
                                 std::int32_t siteId, std::string& answer) override;
    std::int32_t ReportLog(std::int32_t softwareId, const std::string& email,
                           const std::string& content, const std::string& uploadId) override;
    std::int32_t PostFeedbackTicket(const std::string& productId, const std::string& email,
                                    const std::string& content, const std::string& logId,
                                    const std::string& version,
                                    const std::string& subject) override;
    std::int32_t SendUniversalAnalyticsHit(const std::string& tid, const std::string& category,
                                           const std::string& action, const std::string& label,
                                           const std::string& appName,
                                           const std::string& appVersion,
                                           const std::string& extraParameters) override;
    std::int32_t SoftDataReport(const std::string& funnelDocument) override;
    std::int32_t PostGa4Hit(const std::string& parameters) override;
    std::int32_t RunSelfTest() override;

    // The legacy service's base URL in use (the connectivity check until discovery replaces it).
    const std::string& LegacyBaseUrl() const { return legacyBase_; }

private:
    struct LegacyIdentity {
        std::string clientId;
        std::string productLine;
        std::string outIp;
        std::string country;
        std::string city;
    };

    std::string EnsureMachineUid();
    bool DiscoverLegacyBase();
    void LookUpExternalIp();
    std::int32_t FetchLegacy(const std::string& pathAndQuery, std::string& answer);

    std::shared_ptr<CurlHttpClient> http_;
    ReportFolder folder_;
    std::string legacyBase_;
    std::uint32_t startTick_ = 0;
    std::string machineUid_;
    LegacyIdentity legacy_;
};
