#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "download/EnumErrorCode.h"

namespace {

TEST(FlowError, MapsEveryEngineResultToItsCode) {
    const std::vector<std::pair<int, const char*>> cases = {
        {1, nullptr},     {2, "DL025"},     {3, "DL026"},     {4, nullptr},  {5, nullptr},
        {6, "DL012"},     {7, "DL027"},     {8, "DL028"},     {9, "DL010"},  {10, "DL011"},
        {11, "DL029"},    {12, "DL030"},    {13, "DL022"},    {14, nullptr}, {15, "DL031"},
        {16, nullptr},    {0, nullptr},     {99, nullptr},
    };
    for (const auto& [code, dl] : cases) {
        const char* mapped = FlowErrorCode(code);
        EXPECT_EQ(mapped ? std::string(mapped) : "none", dl ? std::string(dl) : "none") << code;
    }
}

TEST(FlowError, SendsFunnelThenGa4WithTheKeyOfItsProgram) {
    struct Case {
        int code;
        bool sub;
        std::vector<std::string> events;
    };
    const std::vector<Case> cases = {
        {1, false, {}},
        {16, true, {}},
        {13, true,
         {"funnel|ErrorReporting|Error|SubErrorType|DL022",
          "ga4|Other|FlowErrorIsChToolKitErrorCode|DL022"}},
        {10, false,
         {"funnel|ErrorReporting|Error|MainErrorType|DL011", "ga4|Other|FlowError|DL011"}},
    };
    for (const Case& c : cases) {
        cvdtest::RecordingEvents events;
        reportFlowError(c.code, c.sub);
        EXPECT_EQ(events.All(), c.events) << c.code;
    }
}

}  // namespace
