// The screen the windows appear on. The windowing shell knows it once it has connected to the
// display and registers itself as the source; code below the shell asks here. On Windows nothing
// answers until the Win32 window backend registers its source (monitor facts of the primary
// monitor).
#pragma once

#include <functional>
#include <optional>

namespace platform {

struct DisplayFacts {
    // Screen pixels per layout pixel (2 on a desktop scaled to 200 %).
    double scale = 1.0;
    // The primary screen in screen pixels.
    int pixelWidth = 0;
    int pixelHeight = 0;
};

using DisplayFactsSource = std::function<std::optional<DisplayFacts>()>;

// Any thread. Replaces an earlier source; an empty function removes it.
void SetDisplayFactsSource(DisplayFactsSource source);
// Nothing when no shell is connected.
std::optional<DisplayFacts> CurrentDisplayFacts();

}  // namespace platform
