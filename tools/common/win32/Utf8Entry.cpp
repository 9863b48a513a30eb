#include <string>
#include <vector>

#include "Utf8Main.h"
#include "platform/Text.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(platform::WideToUtf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Utf8Main(argc, pointers.data());
}
