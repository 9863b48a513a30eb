#include <gtest/gtest.h>

#include <vector>

#include "app/SingleInstance.h"
#include "app/StartupGates.h"
#include "config/CConfigure.h"

namespace {

using app::StartupGate;

struct Row {
    int department;
    bool support32;
    bool is64;
    bool countrySupported;
    StartupGate gate;
    bool countryAsked;
};

TEST(StartupGates, DepartmentChoosesTheGateAndOnlyThatGateAsks) {
    const Row rows[] = {
        {2, false, false, true, StartupGate::System32, false},
        {2, false, true, false, StartupGate::None, false},  // 64-bit: no box, no country
        {2, true, false, true, StartupGate::None, false},
        {1, false, false, false, StartupGate::Country, true},  // word size is not asked
        {1, true, true, true, StartupGate::None, true},
        {0, false, false, false, StartupGate::None, false},
        {3, false, false, false, StartupGate::None, false},
    };
    for (const Row& row : rows) {
        CConfigure& config = CConfigure::Instance();
        config.ResetForTesting();
        config.Department = row.department;
        config.Support32System = row.support32;
        bool countryAsked = false;
        bool forced = true;
        app::GateFacts facts{[&] { return row.is64; },
                             [&](bool force) {
                                 countryAsked = true;
                                 forced = force;
                                 return row.countrySupported;
                             },
                             [] { return 0; }};
        EXPECT_EQ(app::EvaluateStartupGates(config, facts), row.gate)
            << "department " << row.department;
        EXPECT_EQ(countryAsked, row.countryAsked) << "department " << row.department;
        if (countryAsked) {
            EXPECT_FALSE(forced);
        }
    }
    CConfigure::Instance().ResetForTesting();
}

TEST(StartupGates, ThisBuildIsNeverRefusedAsA32BitSystem) {
    EXPECT_TRUE(app::GateFacts::Real().is64BitSystem());
}

TEST(SingleInstance, NamesCarryTheDownloaderId) {
    EXPECT_EQ(app::InstanceMutexName(185), L"ORV_Downloader_185");
    EXPECT_EQ(app::MainWindowClassName(185), L"CV_UI_Frame_185");
    EXPECT_EQ(app::InstanceMutexName(-7), L"ORV_Downloader_-7");
}

}  // namespace
