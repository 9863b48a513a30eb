// The installer's machine-wide records and its cleanup: the marker that this machine has sent
// its first-run facts, the counter of downloads the server refused for too many requests, and
// the removal of the downloaded package with its task file.
#pragma once

#include <optional>
#include <string>

namespace install {

inline constexpr wchar_t kMakerKey[] = L"SOFTWARE\\Corvantis\\Downloader2.5.0";
inline constexpr wchar_t kMachineMarkerValue[] = L"GA_PC";
inline constexpr wchar_t kTooManyRequestsValue[] = L"RequestTooMuchTimes";

// "SoftWare\Microsoft\Windows\CurrentVersion\Uninstall\" + Software_name.
std::wstring UninstallKey();

// A text value of the product's uninstall key; nothing when the key or value cannot be read.
std::optional<std::wstring> ReadUninstallValue(const std::wstring& name);
// Creates the key when missing; false on any failure.
bool WriteUninstallValue(const std::wstring& name, const std::wstring& text);

// Advances "RequestTooMuchTimes" (absent, no digits or below 1 restart at 1); true when written.
bool CountTooManyRequests();

// Whether this machine has already sent its first-run facts ("GA_PC" is not empty).
bool MachineMarkerSet();
void SetMachineMarker();

// Deletes the package file and its task file; missing files are ignored.
void ClearAPPData();

}  // namespace install
