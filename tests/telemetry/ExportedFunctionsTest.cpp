#include <dlfcn.h>
#include <gtest/gtest.h>

#include "telemetry/ExportedFunctions.h"

namespace {

// Other programs find the reporting service by these plain names in the installer.
TEST(ExportedFunctions, AreVisibleUnderTheirPlainCNames) {
    for (const char* name : {"CreateExportObj", "DestroyExportObj", "NSISLog"})
        EXPECT_NE(dlsym(RTLD_DEFAULT, name), nullptr) << name;
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "CreateExportObj"), reinterpret_cast<void*>(&CreateExportObj));
}

}  // namespace
