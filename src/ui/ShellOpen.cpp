#include "ui/ShellOpen.h"

#include <mutex>

#include "toolkit/Shell.h"

namespace ui {
namespace {

// A replaceable hand-over to the desktop; the replacement may be set from any thread.
class Seam {
public:
    void Set(UrlOpener replacement) {
        std::lock_guard lock(mutex_);
        replacement_ = std::move(replacement);
    }
    bool Call(const std::string& text, bool (*desktop)(const std::string&)) {
        UrlOpener replacement;
        {
            std::lock_guard lock(mutex_);
            replacement = replacement_;
        }
        return replacement ? replacement(text) : desktop(text);
    }

private:
    std::mutex mutex_;
    UrlOpener replacement_;
};

Seam& Opener() {
    static Seam seam;
    return seam;
}

Seam& Shower() {
    static Seam seam;
    return seam;
}

}  // namespace

void SetUrlOpener(UrlOpener opener) { Opener().Set(std::move(opener)); }

bool OpenInShell(const std::string& url) { return Opener().Call(url, &toolkit::OpenUrl); }

void SetFileShower(UrlOpener shower) { Shower().Set(std::move(shower)); }

bool ShowInFileManager(const std::string& path) {
    const std::string uri = toolkit::FileUri(path);
    return !uri.empty() && Shower().Call(uri, &toolkit::ShowItemInFileManager);
}

}  // namespace ui
