#include "FuzzCheck.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "fuzz invariant broken: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

namespace fuzz {

const std::string& PrivateHome() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors.
    static const std::string& home = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "cvd-fuzz-home-XXXXXX");
        const char* made = mkdtemp(pattern.data());
        if (!made) std::abort();
        const std::string root = made;
        for (const char* sub : {"cache", "config", "data", "runtime", "tmp", "state"})
            std::filesystem::create_directories(root + "/" + sub);
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
        setenv("TMPDIR", (root + "/tmp").c_str(), 1);
        setenv("CVD_MACHINE_STATE_DIR", (root + "/state").c_str(), 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(PrivateHome(), ignored);
        });
        return root;
    }());
    return home;
}

}  // namespace fuzz
