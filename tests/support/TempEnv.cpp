#include "TempEnv.h"

#include <fstream>
#include <sstream>

#include "TestSystem.h"

namespace cvdtest {
namespace fs = std::filesystem;

TempEnv::TempEnv() : root_(MakeTempFolder("cvdtest-")) {
    for (const char* sub :
         {"home", "tmp", "data", "state", "runtime", "machine", "config", "cache", "volume"})
        fs::create_directories(root_ / sub);
    for (const UserFolderVariable& variable : UserFolderVariables()) {
        const fs::path folder = root_ / variable.folder;
        Set(variable.name, PathText(variable.trailingSeparator ? folder / "" : folder));
    }
    Set("CVD_MACHINE_STATE_DIR", PathText(root_ / "machine"));
    // The only disk the program sees: no test creates folders at the top of a real one.
    Set("CVD_VOLUMES", PathText(root_ / "volume"));
}

TempEnv::~TempEnv() {
    for (const auto& [name, value] : saved_) SetVariable(name, value);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TempEnv::Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) saved_[name] = GetVariable(name);
    SetVariable(name, value);
}

fs::path TempEnv::WriteFile(const std::string& relative, const std::string& text) const {
    const fs::path path = root_ / Utf8Path(relative);
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
