// Opening addresses and folders with the desktop's handler ("open" of the shell), and showing a
// file in the file manager. One home, so that tests and unattended runs can see what would be
// opened instead of starting a browser or a file manager.
#pragma once

#include <functional>
#include <string>

namespace ui {

using UrlOpener = std::function<bool(const std::string& url)>;

// Replaces the opener (nullptr restores the desktop's handler).
void SetUrlOpener(UrlOpener opener);
// Opens `url` (an address, or a folder for the file manager); false when it could not be started.
bool OpenInShell(const std::string& url);

// Receives the "file://" URI of the file to show; replaces the file manager (nullptr restores it).
void SetFileShower(UrlOpener shower);
// Shows the file at the absolute `path` selected in the file manager, handed over as a
// "file://" URI; false for any other path or when nothing could be started.
bool ShowInFileManager(const std::string& path);

}  // namespace ui
