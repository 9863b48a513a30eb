// Windows implementation of OpenFile: _wfopen with the wide path as it is; 'N' keeps the handle
// from every process started later.
#include <cstdio>
#include <string>

#include "platform/Files.h"

namespace platform {

FilePtr OpenFile(const std::wstring& path, const char* mode) {
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c) wideMode += static_cast<wchar_t>(*c);
    wideMode += L'N';
    return FilePtr(_wfopen(path.c_str(), wideMode.c_str()));
}

}  // namespace platform
