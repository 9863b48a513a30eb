// The progress line is a format from the skin: only one real-number conversion is ever filled.
#include <gtest/gtest.h>

#include "ui/ProgressLine.h"

namespace {

TEST(ProgressLine, FillsOneRealConversionAndLeavesEverythingElseAsWritten) {
    const struct {
        const char* format;
        double value;
        const char* line;
    } rows[] = {
        {"Installing... %0.f%% completed.", 40, "Installing... 40% completed."},
        {"%0.f%%", 99.6, "100%"},
        {"%.1f GB", 2.25, "2.2 GB"},
        {"no conversion", 5, "no conversion"},
        // Hostile formats from a skin: nothing but the first real conversion is interpreted.
        {"%s%n%p %d", 7, "%s%n%p %d"},
        {"%0.f and %0.f", 3, "3 and %0.f"},
        {"%999999999f", 1, "%999999999f"},
        {"50%", 1, "50%"},
        {"", 1, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ui::FormatProgressLine(row.format, row.value), row.line) << row.format;
}

}  // namespace
