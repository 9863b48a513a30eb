// Text from outside (a server answer, the configuration document) that ends up inside a file or
// folder name. One rule for every such piece, so that no answer can name a place outside the
// folder it is meant for, or a name that Windows would read as something else.
#pragma once

#include <string>

namespace FuntionImpl {

// True when `piece` may be part of a single file or folder name. Refused: a path separator
// ('/' or '\'), "..", NUL, ':', a trailing '.' or blank, and the reserved Windows device names
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 in any case, alone or before an extension: "con.txt").
// The empty piece is allowed: it adds nothing to a name.
bool IsSafeFileNamePart(const std::wstring& piece);

}  // namespace FuntionImpl
