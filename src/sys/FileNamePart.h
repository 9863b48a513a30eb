// Text from outside (a server answer, the configuration document) that ends up inside a file or
// folder name. One rule for every such piece, so that no answer can name a place outside the
// folder it is meant for, a name that Windows would read as something else, or a name that
// would end or extend a quoted path on a command line.
#pragma once

#include <string>

namespace FuntionImpl {

// True when `piece` may be part of a single file or folder name. Refused: a path separator
// ('/' or '\'), "..", ':', a double quote, '<', '>', '|', '*', '?', a control character (NUL
// included), a trailing '.' or blank, and the reserved Windows device names (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9 in any case, alone or before an extension: "con.txt"). The empty piece
// is allowed: it adds nothing to a name.
bool IsSafeFileNamePart(const std::wstring& piece);

// `piece` as it may stand in a log line: each control character shown as '?', so a refused name
// cannot end the line or forge the next one.
std::wstring PrintableNamePart(std::wstring piece);

}  // namespace FuntionImpl
