// Small files the program keeps for itself (the visit file), written so that neither a crash nor
// another user can leave or plant something else under their names.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file `path` with `bytes`: they go to a new temporary file beside it, created
// exclusively (never opened through a name or link that already exists, readable by the owner
// only), which is then renamed over `path`. False when any step fails; `path` is then unchanged
// and the temporary file removed.
bool ReplaceFileContents(const std::wstring& path, std::string_view bytes);

}  // namespace platform
