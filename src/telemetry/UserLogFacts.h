// What every usage event says about the installer and the machine it runs on.
#pragma once

#include <cstdint>
#include <string>

// Gathered once, when the user-log sender is created.
struct UserLogFacts {
    std::string ownVersion;     // "%d.%d.%d.%d"
    std::string sourceTag;      // from the executable's file name, see SourceTagOf
    std::string osDescription;  // OS name + " 64bit" / " 32bit"
    std::string languageName;   // "Chinese" of "Chinese_Taiwan", else "Unknown"
    std::string regionName;     // "Taiwan" of "Chinese_Taiwan", else "Unknown"
    std::string tempFolder;     // ends with the separator
};

// Given by the start-up sequence through SetUserLogInfo.
struct ProductFacts {
    std::int32_t downloaderId = 0;
    std::int32_t siteId = 0;
    std::string productName;
    std::string downloadUrl;
    bool isToolkit = false;
    std::int32_t mainPid = 0;
};

UserLogFacts GatherUserLogFacts();

// The text after the last '_' of an executable's file name, up to the last '.' after it or to
// the end of the name when there is none; empty when the name has no '_'.
std::string SourceTagOf(const std::string& executablePath);

// Splits "Name_Region" at the first '_'; both parts "Unknown" when there is none.
void SplitLanguageName(const std::string& systemLanguageName, std::string& language,
                       std::string& region);
