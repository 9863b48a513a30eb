#include "ExportedSymbol.h"

#include <windows.h>

namespace cvdtest {

void* ExportedSymbol(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name));
}

}  // namespace cvdtest
