#include "ReportingWindow.h"

#include "config/CConfigure.h"
#include "telemetry/SingleUserLog.h"

namespace uitest {

ReportingWindowTest::ReportingWindowTest() {
    CConfigure::Instance().Init();
    CConfigure::Instance().NeedStart_flag = 0;
    CConfigure::Instance().SetDownload_url(L"https://cdn.example/Zorvik_setup.exe");
    CSingleUserLog::Instance().SetUserLogInfo(17, 61, "Zorvik Video Converter",
                                              "https://cdn.example/Zorvik_setup.exe", false, 1);
}

std::vector<std::string> ReportingWindowTest::Ga4Labels(const std::string& category,
                                                        const std::string& action,
                                                        std::size_t count) {
    std::vector<std::string> labels;
    SettleUntil(
        [&] {
            labels.clear();
            for (const auto& hit : collector.RequestsTo("/g/collect")) {
                const std::string query = hit["query"].asString();
                if (cvdtest::QueryValue(query, "ep.cv_category") == category &&
                    cvdtest::QueryValue(query, "ep.cv_action") == action)
                    labels.push_back(cvdtest::QueryValue(query, "ep.cv_label"));
            }
            return labels.size() >= count;
        },
        20000);
    return labels;
}

std::size_t ReportingWindowTest::FunnelReportsWith(const std::vector<std::string>& texts) {
    std::size_t n = 0;
    for (const auto& report : collector.RequestsTo("/collect")) {
        const std::string body = report["body"].asString();
        bool all = true;
        for (const auto& text : texts) all = all && body.find(text) != std::string::npos;
        if (all) ++n;
    }
    return n;
}

}  // namespace uitest
