#include "sys/OsFacts.h"

#include <cstdio>

#include "platform/Display.h"
#include "platform/SystemInfo.h"

namespace FuntionImpl {

std::string GetOsVersion(float& version) {
    version = 10;
    return platform::ReadOsRelease().name;
}

bool IsWindows11() { return false; }

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
