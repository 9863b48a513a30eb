// Finding (and ending) the running copies of a file, so a package can be written again while an
// earlier copy of it, or the temporary copy its setup runs from, is still executing.
#pragma once

#include <cstdint>
#include <string>

namespace FuntionImpl {

// Processes whose executable is `path` (names and paths compared with ASCII letters in lower
// case). With `tempCopy` also the twin a setup runs from: the file name with its last three
// characters replaced by "tmp" whose image path contains ".tmp". Our own process never matches.
// With `kill` each match is ended. Result: the id found (with `tempCopy` the last one), -1 when
// none matched, -2 when the process list cannot be read.
std::int32_t FindProcessByFullPath(const std::wstring& path, bool kill, bool tempCopy);

}  // namespace FuntionImpl
