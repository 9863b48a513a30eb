// The reporting service as plain C functions, exported by the installer for other programs.
#pragma once

#include <cstdint>

class IWebLog;

extern "C" {
// A new reporting service object; release it with DestroyExportObj.
IWebLog* CreateExportObj();
void DestroyExportObj(IWebLog* object);
// Sends one legacy user-log record on a thread of its own and returns 0 at once.
std::int32_t NSISLog(std::int32_t opId, std::int32_t softwareId, std::int32_t siteId,
                     std::int32_t versionId);
}
