// The package digest's throughput: FileMd5 (the installer's MD5 check) over a file, best of
// --runs passes. Prints "md5 MiB/s <rate>" for bench_download.py, which compares it with
// `openssl speed md5`. Run it on a file in the page cache to measure the digest, not the disk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "download/CDownLoadImpl.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: cvd_md5_bench FILE [RUNS]\n");
        return 64;
    }
    const std::string path = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    double best = 0;
    std::string digest;
    for (int i = 0; i < runs; ++i) {
        const auto started = std::chrono::steady_clock::now();
        digest = CDownLoadImpl::FileMd5(path);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        best = std::max(best, static_cast<double>(size) / 1048576.0 / std::max(seconds, 1e-6));
    }
    std::printf("md5 %s\nmd5 MiB/s %.1f\n", digest.c_str(), best);
    return 0;
}
