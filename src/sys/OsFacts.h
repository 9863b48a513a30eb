#pragma once

#include <chrono>
#include <string>

namespace FuntionImpl {

// The operating system's name; `version` receives 10, so no old-Windows branch ever applies.
std::string GetOsVersion(float& version);
// Linux has no Windows 11: false.
bool IsWindows11();
bool Is64BitSystem();
// Ratio of the screen's pixel width to its logical width (2.0 on a desktop scaled to 200 %);
// width and height of the primary screen in pixels, as the toolkit's shell reports them once it
// has opened a display; 1.0, 0, 0 before that.
double GetDisplayScale(int& width, int& height);
// Current time in UTC+8 as "%04d-%02d-%02d %02d:%02d:%02d".
std::string GetChinaTime();
// `utc` in UTC+8, formatted as GetChinaTime does.
std::string ChinaTimeOf(std::chrono::system_clock::time_point utc);

}  // namespace FuntionImpl
