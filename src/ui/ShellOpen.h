// Opening addresses and folders with the desktop's handler ("open" of the shell). One home, so
// that tests and unattended runs can see what would be opened instead of starting a browser.
#pragma once

#include <functional>
#include <string>

namespace ui {

using UrlOpener = std::function<bool(const std::string& url)>;

// Replaces the opener (nullptr restores the desktop's handler).
void SetUrlOpener(UrlOpener opener);
// Opens `url` (an address, or a folder for the file manager); false when it could not be started.
bool OpenInShell(const std::string& url);

}  // namespace ui
