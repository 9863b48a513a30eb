// Runs a fuzz target's LLVMFuzzerTestOneInput over files, without libFuzzer: every file of the
// folders (or the files) named on the command line, one call each. A broken invariant aborts, so
// the test fails with the name of the file that was last started.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& where) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (std::filesystem::is_regular_file(where, error)) return {where};
    for (const auto& entry : std::filesystem::directory_iterator(where, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& file : InputsOf(argv[i])) {
            std::fprintf(stderr, "replay %s\n", file.c_str());
            std::ifstream in(file, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
