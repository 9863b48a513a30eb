#include "ExportedSymbol.h"

#include <dlfcn.h>

namespace cvdtest {

void* ExportedSymbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

}  // namespace cvdtest
