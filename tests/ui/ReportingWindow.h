// A main window whose events reach a local collector, for the tests that check what it reports.
#pragma once

#include <string>
#include <vector>

#include "CollectorServer.h"
#include "TelemetryEnv.h"
#include "WindowFixture.h"

namespace uitest {

class ReportingWindowTest : public MainWindowTest {
protected:
    ReportingWindowTest();

    // The labels of the GA4 events `category`/`action` received so far, oldest first; waits
    // (with a deadline) until `count` have arrived.
    std::vector<std::string> Ga4Labels(const std::string& category, const std::string& action,
                                       std::size_t count);
    // The funnel reports received so far that contain every one of `texts`.
    std::size_t FunnelReportsWith(const std::vector<std::string>& texts);

    cvdtest::CollectorServer collector{{"--status", "/g/collect=204"}};
    cvdtest::TelemetryEnv world{collector.Host()};
};

}  // namespace uitest
