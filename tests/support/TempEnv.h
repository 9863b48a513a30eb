// A private home for one test: a fresh temporary folder with the user's folders (HOME, TMPDIR and
// the XDG folders; on Windows USERPROFILE, APPDATA, LOCALAPPDATA, TEMP and TMP),
// CVD_MACHINE_STATE_DIR and the volume list CVD_VOLUMES (Root()/volume) pointed into it, restored
// and removed when the object goes away.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "TestSystem.h"

namespace cvdtest {

class TempEnv {
public:
    TempEnv();
    ~TempEnv();
    TempEnv(const TempEnv&) = delete;
    TempEnv& operator=(const TempEnv&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Home() const { return root_ / "home"; }
    std::filesystem::path Tmp() const { return root_ / "tmp"; }
    std::filesystem::path Cache() const { return root_ / CacheFolderBelowRoot(); }
    std::filesystem::path Volume() const { return root_ / "volume"; }

    // Sets (or with nullopt unsets) a variable for the life of this object.
    void Set(const std::string& name, const std::optional<std::string>& value);
    // Writes `text` to Root()/relative, creating folders; returns the full path.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& text) const;

private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string ReadFile(const std::filesystem::path& path);

// A path from UTF-8 text and back: a narrow text is read in the ANSI code page on Windows.
inline std::filesystem::path Utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace cvdtest
