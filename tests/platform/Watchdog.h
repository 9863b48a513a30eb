// Fails a threading test fast instead of letting a deadlock hang the run: SIGALRM ends the
// process when a test takes longer than it possibly should.
#pragma once

#include <unistd.h>

namespace cvdtest {

class Watchdog {
public:
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
};

}  // namespace cvdtest
