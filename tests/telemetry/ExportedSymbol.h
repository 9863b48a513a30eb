// The address under which this program exports `name` to other programs; nullptr when it does not.
// One implementation per system: the dynamic symbol table, or the executable's export table.
#pragma once

namespace cvdtest {

void* ExportedSymbol(const char* name);

}  // namespace cvdtest
