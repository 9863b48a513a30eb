#include "SetupArguments.h"

#include <strings.h>

#include <algorithm>

namespace setup {
namespace {

// `arg` starts with `name` (case ignored): the rest of it.
std::optional<std::string> ValueOf(const std::string& arg, const char* name) {
    const std::size_t length = std::char_traits<char>::length(name);
    if (arg.size() < length || ::strncasecmp(arg.c_str(), name, length) != 0) return std::nullopt;
    return arg.substr(length);
}

std::string AsLocalPath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::optional<SetupArguments> ParseSetupArguments(const std::vector<std::string>& args) {
    SetupArguments out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (auto value = ValueOf(arg, "/DIR=")) {
            out.dir = AsLocalPath(*value);
        } else if (auto lang = ValueOf(arg, "/LANG=")) {
            out.lang = *lang;
        } else if (auto log = ValueOf(arg, "/LOG=")) {
            out.log = AsLocalPath(*log);
        } else if (::strcasecmp(arg.c_str(), "/sptrack") == 0 && i + 1 < args.size()) {
            out.track = args[++i];
        } else if (::strcasecmp(arg.c_str(), "/VERYSILENT") == 0) {
            out.verySilent = true;
        }
    }
    // A whole drive is no install folder: the install replaces its folder as a whole.
    const bool driveRoot = out.dir.size() == 2 && out.dir[1] == ':';
    if (out.dir.empty() || out.dir == "/" || driveRoot) return std::nullopt;
    return out;
}

}  // namespace setup
