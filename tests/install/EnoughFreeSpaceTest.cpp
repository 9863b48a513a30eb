#include <map>

#include "InstallTestSupport.h"
#include "install/EnoughFreeSpace.h"

namespace {

using namespace cvdtest;

// Two "drives": /work and /data, with the given free bytes.
install::DiskFacts Drives(std::uint64_t workFree, std::uint64_t dataFree, int* queries = nullptr) {
    install::DiskFacts disks;
    disks.driveRoot = [](const std::wstring& path) {
        return path.starts_with(L"/data/") ? std::wstring(L"/data/") : std::wstring(L"/work/");
    };
    disks.freeBytes = [=](const std::wstring& root) -> std::optional<std::uint64_t> {
        if (queries) ++*queries;
        return root == L"/data/" ? dataFree : workFree;
    };
    return disks;
}

class EnoughFreeSpaceTest : public InstallTest {};

TEST_F(EnoughFreeSpaceTest, NeedsTwiceOrOnSharedDriveThreeTimesAndEqualIsTooLittle) {
    struct Row {
        const char* why;
        std::uint64_t workFree, dataFree;
        const wchar_t* installPath;
        int expected;
        std::uint64_t freeOut;
    } rows[] = {
        {"work drive short", 99, 1000, L"/data/App", -1, 99},
        {"work drive exactly needed", 100, 1000, L"/data/App", -1, 100},
        {"separate drive, twice fits", 1000, 201, L"/data/App", 1, 12345},
        {"separate drive, exactly twice", 1000, 200, L"/data/App", -2, 200},
        {"shared drive, exactly three times", 300, 0, L"/work/App", -2, 300},
        {"shared drive, more than three times", 301, 0, L"/work/App", 1, 12345},
    };
    for (const Row& row : rows) {
        std::uint64_t free = 12345;
        const int result = install::EnoughFreeSpace(true, 100, free, row.installPath, L"/work/cvd/",
                                                    Drives(row.workFree, row.dataFree));
        EXPECT_EQ(result, row.expected) << row.why;
        EXPECT_EQ(free, row.freeOut) << row.why;
    }
}

TEST_F(EnoughFreeSpaceTest, NothingNeededAsksNoDrive) {
    int queries = 0;
    std::uint64_t free = 0;
    EXPECT_EQ(
        install::EnoughFreeSpace(true, 0, free, L"/data/App", L"/work/", Drives(0, 0, &queries)),
        1);
    EXPECT_EQ(queries, 0);
}

TEST_F(EnoughFreeSpaceTest, AShortWorkDriveReportsItsCodeAndFreeSpace) {
    const std::uint64_t free250 = 250ull * 1048576;
    std::uint64_t free = 0;
    ASSERT_EQ(install::EnoughFreeSpace(true, 300ll * 1048576, free, L"/data/App", L"/work/",
                                       Drives(free250, 0)),
              -1);
    EXPECT_EQ(events.All(),
              (std::vector<std::string>{
                  "ga4|Other|FlowError|DL008", "funnel|ErrorReporting|Error|MainErrorType=DL008",
                  "ga4|Other|NoEnoughSpace|download_" + std::to_string(free250),
                  "funnel|Download|NoEnoughSpace|DownloadNoEnoughSpace=[200~300]MB"}));
    EXPECT_TRUE(log.Contains(" PC space not enough1: " + std::to_string(free250) + "<="));
}

TEST_F(EnoughFreeSpaceTest, AShortInstallDriveIsLeftToTheCallerToReport) {
    std::uint64_t free = 0;
    EXPECT_EQ(install::EnoughFreeSpace(true, 100, free, L"/data/App", L"/work/", Drives(1000, 10)),
              -2);
    EXPECT_TRUE(events.All().empty());
}

TEST_F(EnoughFreeSpaceTest, AFailedQueryCountsAsEnough) {
    install::DiskFacts disks = Drives(0, 0);
    disks.freeBytes = [](const std::wstring&) { return std::optional<std::uint64_t>(); };
    std::uint64_t free = 0;
    EXPECT_EQ(install::EnoughFreeSpace(true, 100, free, L"/data/App", L"/work/", disks), 1);
}

}  // namespace
