// Portable: the windowing shell registers where the screen facts come from.
#include "platform/Display.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& SourceMutex() {
    static std::mutex mutex;
    return mutex;
}

DisplayFactsSource& Source() {
    static DisplayFactsSource source;
    return source;
}

}  // namespace

void SetDisplayFactsSource(DisplayFactsSource source) {
    std::lock_guard lock(SourceMutex());
    Source() = std::move(source);
}

std::optional<DisplayFacts> CurrentDisplayFacts() {
    DisplayFactsSource source;
    {
        std::lock_guard lock(SourceMutex());
        source = Source();
    }
    return source ? source() : std::nullopt;
}

}  // namespace platform
