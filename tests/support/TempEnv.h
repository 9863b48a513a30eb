// A private home for one test: a fresh temporary folder with HOME, TMPDIR, the XDG folders,
// CVD_MACHINE_STATE_DIR and the volume list CVD_VOLUMES (Root()/volume) pointed into it, restored
// and removed when the object goes away.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

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
    std::filesystem::path Cache() const { return root_ / "cache"; }
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

}  // namespace cvdtest
