// The funnel document: what the user-log sender records of one funnel event at the moment it is
// raised. The reporting service later wraps it into the collector's document.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct FunnelFacts {
    int isNew = 0;
    std::string productName;
    std::string productVersion;  // Software_version of the configuration
    std::string sourceTag;
    std::string ownVersion;
    std::int32_t languageIndex = 0;
    bool isToolkit = false;
    std::int32_t mainPid = 0;
};

struct FunnelEvent {
    std::string category;
    std::string action;
    std::map<std::string, std::string> properties;  // an empty key is skipped
    bool subProgram = false;
};

// The document as JsonCpp's styled text.
std::string BuildFunnelDocument(const FunnelFacts& facts, const FunnelEvent& event);
