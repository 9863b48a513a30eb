#include "telemetry/UserLogFacts.h"

#include "config/LanguageTables.h"
#include "platform/Paths.h"
#include "sys/FileUtils.h"
#include "sys/OsFacts.h"
#include "sys/TextConvert.h"
#include "sys/VersionInfo.h"

std::string SourceTagOf(const std::string& executablePath) {
    const std::size_t slash = executablePath.find_last_of("/\\");
    const std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string::npos) return std::string();
    // A Linux installer's name may have no extension: the tag then runs to the end of the name.
    const std::string tag = name.substr(underscore + 1);
    return tag.substr(0, tag.rfind('.'));
}

void SplitLanguageName(const std::string& systemLanguageName, std::string& language,
                       std::string& region) {
    const std::size_t underscore = systemLanguageName.find('_');
    if (underscore == std::string::npos) {
        language = region = "Unknown";
        return;
    }
    language = systemLanguageName.substr(0, underscore);
    region = systemLanguageName.substr(underscore + 1);
}

UserLogFacts GatherUserLogFacts() {
    UserLogFacts facts;
    const std::string executable = FuntionImpl::Utf16ToUtf8(platform::ModulePath());
    facts.ownVersion = FuntionImpl::GetFileVersionText(executable);
    if (facts.ownVersion.empty()) facts.ownVersion = FuntionImpl::OwnVersionText();
    facts.sourceTag = SourceTagOf(executable);
    float versionNumber = 0;
    facts.osDescription = FuntionImpl::GetOsVersion(versionNumber) +
                          (FuntionImpl::Is64BitSystem() ? " 64bit" : " 32bit");
    SplitLanguageName(GetSystemLanguageName(), facts.languageName, facts.regionName);
    facts.tempFolder = FuntionImpl::Utf16ToUtf8(FuntionImpl::GetTempFolder());
    return facts;
}
