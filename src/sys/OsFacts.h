#pragma once

#include <chrono>
#include <string>

namespace FuntionImpl {

// The operating system's name; `version` receives 10, so no old-Windows branch ever applies.
std::string GetOsVersion(float& version);
// Linux has no Windows 11: false.
bool IsWindows11();
bool Is64BitSystem();
// Ratio of the screen's pixel width to its logical width; width and height in pixels. 1.0 and
// the toolkit's screen facts once a display is open, else 1.0, 0, 0.
double GetDisplayScale(int& width, int& height);
// Current time in UTC+8 as "%04d-%02d-%02d %02d:%02d:%02d".
std::string GetChinaTime();
// `utc` in UTC+8, formatted as GetChinaTime does.
std::string ChinaTimeOf(std::chrono::system_clock::time_point utc);

}  // namespace FuntionImpl
