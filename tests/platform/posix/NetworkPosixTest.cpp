#include <gtest/gtest.h>

#include "NetworkInterfaces.h"

namespace {

using platform::posix::InterfaceState;

TEST(IsNetworkAlive, NeedsAnInterfaceBesidesLoopbackThatIsUpWithAnAddress) {
    const InterfaceState lo{"lo", true, true, true};
    const InterfaceState eth{"eth0", true, false, true};
    const InterfaceState down{"eth1", false, false, true};
    const InterfaceState bare{"wlan0", true, false, false};
    struct Case {
        std::vector<InterfaceState> interfaces;
        bool alive;
    };
    const Case cases[] = {
        {{lo, eth}, true},   {{lo}, false}, {{lo, down}, false},
        {{lo, bare}, false}, {{}, false},   {{down, bare, eth}, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(platform::posix::IsNetworkAlive(cases[i].interfaces), cases[i].alive)
            << "row " << i;
}

}  // namespace
