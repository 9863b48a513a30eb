// The wall-clock time of the user's time zone, as log names, the visit file and report stamps
// read it.
#pragma once

namespace platform {

struct LocalTime {
    int year = 0;    // e.g. 2024
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..60 (a leap second where the system reports one)
    int millisecond = 0;
};

// Now, in local time; every field taken from one reading of the clock.
LocalTime LocalTimeNow();

}  // namespace platform
