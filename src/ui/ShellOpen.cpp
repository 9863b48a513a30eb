#include "ui/ShellOpen.h"

#include <mutex>

#include "toolkit/Shell.h"

namespace ui {
namespace {
std::mutex g_mutex;
UrlOpener& Opener() {
    static UrlOpener opener;
    return opener;
}
}  // namespace

void SetUrlOpener(UrlOpener opener) {
    std::lock_guard lock(g_mutex);
    Opener() = std::move(opener);
}

bool OpenInShell(const std::string& url) {
    UrlOpener opener;
    {
        std::lock_guard lock(g_mutex);
        opener = Opener();
    }
    return opener ? opener(url) : toolkit::OpenUrl(url);
}

}  // namespace ui
