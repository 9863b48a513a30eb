// Making a skin package the program's resources, as the installer does with the one it carries,
// for tools that draw the real windows.
#pragma once

#include <string>

namespace cvdtools {

// Reads the package at `source` (see LoadSkinPackage), makes it the resource archive and
// registers the installer's own controls; false (and `error` set) when it cannot be read.
bool InstallSkin(const std::string& source, std::string& error);

}  // namespace cvdtools
