// Resources of the executable's own resource table: the child program carries ZIPRES/138.
#include <gtest/gtest.h>

#include "ProcessOutput.h"
#include "WinTestSupport.h"
#include "platform/Process.h"

namespace {

std::string ChildResource(const std::wstring& name) {
    platform::ProcessOptions options;
    options.program = cvdtest::win32::ChildProgram().wstring();
    options.commandLine = L" resource " + name;
    options.captureOutput = true;
    auto child = platform::Process::Start(options);
    if (!child) return "not started";
    const std::string all = cvdtest::ReadAllOutput(*child);
    child->Wait(10000);
    return all;
}

TEST(ResourceTable, IsReadWhenItHoldsTheResource) {
    EXPECT_EQ(ChildResource(L"ZIPRES/138"), "skin bytes from the resource table\n");
    EXPECT_EQ(ChildResource(L"ICON/143"), "absent\n") << "neither in the table nor in a block";
    EXPECT_EQ(ChildResource(L"ZIPRES/0"), "absent\n");
}

}  // namespace
