// The analytics collector's document, built from a funnel document.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

struct CollectorIdentity {
    std::string uid;
    std::string sessionId;
    std::string os;  // the platform name
    std::string osVersion;
    std::int64_t ts = 0;
};

// Members of `funnel` are copied unchanged where present, else take their defaults; a funnel
// document that is not an object counts as empty.
Json::Value BuildCollectorDocument(const Json::Value& funnel, const CollectorIdentity& identity);

// The platform name this build reports in `common.os`.
const char* ReportPlatformName();
