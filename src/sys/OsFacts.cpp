#include "sys/OsFacts.h"

#include <cstdio>

#include "platform/Display.h"
#include "platform/SystemInfo.h"

namespace FuntionImpl {

namespace {

constexpr unsigned kWindows11Build = 22000;

// The comparable number of the version table: the marketing number from Windows 7 on, a small
// ordinal before. Linux reports 10.0.
float VersionNumber(const platform::OsVersion& os) {
    if (os.major == 10) return os.build >= kWindows11Build ? 11.0f : 10.0f;
    if (os.major == 6) {
        constexpr float kSixes[] = {6.0f, 7.0f, 8.0f, 8.1f};
        return kSixes[os.minor < 3 ? os.minor : 3];
    }
    if (os.major == 5) return os.minor == 0 ? 3.0f : os.minor == 1 ? 4.0f : 5.0f;
    return 0.0f;
}

}  // namespace

std::string GetOsVersion(float& version) {
    const platform::OsVersion os = platform::ReadOsVersion();
    version = VersionNumber(os);
    return os.name;
}

bool IsWindows11() {
    const platform::OsVersion os = platform::ReadOsVersion();
    return os.major == 10 && os.build >= kWindows11Build;
}

bool Is64BitSystem() { return platform::Is64BitSystem(); }

// The screen facts come from the toolkit's shell once it opens a display; until then the
// neutral answer keeps the main window's sizing at its design size.
double GetDisplayScale(int& width, int& height) {
    const auto facts = platform::CurrentDisplayFacts();
    width = facts ? facts->pixelWidth : 0;
    height = facts ? facts->pixelHeight : 0;
    return facts ? facts->scale : 1.0;
}

std::string ChinaTimeOf(std::chrono::system_clock::time_point utc) {
    using namespace std::chrono;
    // China Standard Time has had no daylight saving since 1991, so a fixed offset is exact.
    const auto local = floor<seconds>(utc) + hours(8);
    const auto day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss<seconds> time(local - day);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return buffer;
}

std::string GetChinaTime() { return ChinaTimeOf(std::chrono::system_clock::now()); }

}  // namespace FuntionImpl
