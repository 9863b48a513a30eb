// The reporting service: one operation per kind of report. The user-log sender uses only
// SoftDataReport and PostGa4Hit; the legacy family (user-log service, Universal Analytics, support
// tickets) is kept for the exported object that other programs create with CreateExportObj.
//
// Threading: an object is not internally synchronised; callers serialise its use. Every
// operation returns 0 on success and a non-zero code on failure; nothing is thrown.
//
// The order of the operations is part of the exported interface: do not reorder or remove them.
#pragma once

#include <cstdint>
#include <string>

class IWebLog {
public:
    // GET <legacy base>/AddUserLog?USER_ID=...; -1 when the identity cannot be obtained.
    virtual std::int32_t SendLegacyUserLog(std::int32_t opId, std::int32_t result,
                                           const std::string& regEmail,
                                           const std::string& resultData, std::int32_t softwareId,
                                           std::int32_t siteId, std::int32_t versionId) = 0;
    // Discovers the legacy base URL and the client's record; fills the client id and the
    // product-line code.
    virtual std::int32_t GetLegacyIdentity(std::string& clientId, std::string& productLine) = 0;
    // Slots kept so that the operations after them stay where callers expect them; each returns
    // -1 and sends nothing.
    virtual std::int32_t Reserved1() = 0;
    virtual std::int32_t Reserved2() = 0;
    virtual std::int32_t Reserved3() = 0;
    virtual std::int32_t Reserved4() = 0;
    virtual std::int32_t QueryTools(std::int32_t languageId, std::int32_t softwareId,
                                    std::string& answer) = 0;
    virtual std::int32_t QueryDownloader(std::int32_t languageId, std::int32_t softwareId,
                                         std::int32_t siteId, std::string& answer) = 0;
    virtual std::int32_t ReportLog(std::int32_t softwareId, const std::string& email,
                                   const std::string& content, const std::string& uploadId) = 0;
    virtual std::int32_t PostFeedbackTicket(const std::string& productId, const std::string& email,
                                            const std::string& content, const std::string& logId,
                                            const std::string& version,
                                            const std::string& subject) = 0;
    virtual std::int32_t SendUniversalAnalyticsHit(
        const std::string& tid, const std::string& category, const std::string& action,
        const std::string& label, const std::string& appName, const std::string& appVersion,
        const std::string& extraParameters) = 0;
    // The funnel document as text -> collector report. 0 for HTTP 200, status - 200 for another
    // status, the transfer's error code when it failed.
    virtual std::int32_t SoftDataReport(const std::string& funnelDocument) = 0;
    // 0 for HTTP 204, -1 for another status, 253 when the transfer failed, 254 for an empty
    // parameter string.
    virtual std::int32_t PostGa4Hit(const std::string& parameters) = 0;
    // Fetches the connectivity check through a local debugging proxy (proxy.txt's, else
    // 127.0.0.1:8888); 0 when it answered 200.
    virtual std::int32_t RunSelfTest() = 0;

    virtual ~IWebLog() = default;
};
