#include "TempEnv.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace cvdtest {
namespace fs = std::filesystem;

TempEnv::TempEnv() {
    std::string pattern = (fs::temp_directory_path() / "cvdtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const char* sub :
         {"home", "tmp", "data", "state", "runtime", "machine", "config", "cache", "volume"})
        fs::create_directories(root_ / sub);
    Set("HOME", (root_ / "home").string());
    Set("TMPDIR", (root_ / "tmp").string() + "/");
    Set("XDG_DATA_HOME", (root_ / "data").string());
    Set("XDG_STATE_HOME", (root_ / "state").string());
    Set("XDG_RUNTIME_DIR", (root_ / "runtime").string());
    Set("XDG_CONFIG_HOME", (root_ / "config").string());
    Set("XDG_DESKTOP_DIR", (root_ / "home" / "Desktop").string());
    Set("XDG_CACHE_HOME", (root_ / "cache").string());
    Set("CVD_MACHINE_STATE_DIR", (root_ / "machine").string());
    // The only disk the program sees: no test creates folders at the top of a real one.
    Set("CVD_VOLUMES", (root_ / "volume").string());
}

TempEnv::~TempEnv() {
    for (const auto& [name, value] : saved_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TempEnv::Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

fs::path TempEnv::WriteFile(const std::string& relative, const std::string& text) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace cvdtest
