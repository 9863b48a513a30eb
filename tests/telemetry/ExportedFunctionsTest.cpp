#include <gtest/gtest.h>

#include "ExportedSymbol.h"
#include "telemetry/ExportedFunctions.h"

namespace {

// Other programs find the reporting service by these plain names in the installer.
TEST(ExportedFunctions, AreVisibleUnderTheirPlainCNames) {
    for (const char* name : {"CreateExportObj", "DestroyExportObj", "NSISLog"})
        EXPECT_NE(cvdtest::ExportedSymbol(name), nullptr) << name;
    EXPECT_EQ(cvdtest::ExportedSymbol("CreateExportObj"),
              reinterpret_cast<void*>(&CreateExportObj));
}

}  // namespace
