// cvd-fetch URL PATH [--md5 HEX] [--log FILE]
//
// Downloads URL into PATH with the installer's download engine, showing one progress line, then
// prints the result code, the CDN summary and what this run added to the package: the bytes the
// engine counted as kept (never bytes it refused or dropped) and, for a finished download, their
// average speed. With --md5 it checks the file's digest. An interrupted run resumes from
// PATH.xml on the next call.
//
// Exit status: 0 success; otherwise the engine's result code (2-16); 17 when the download
// succeeded but the digest differs; 64 for a usage error.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Utf8Main.h"
#include "download/CDownLoadImpl.h"
#include "sys/Log.h"
#include "sys/TextConvert.h"

namespace {

constexpr int kDigestMismatch = 17;
constexpr int kUsage = 64;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Redraws one console line at most five times a second.
class ConsoleProgress : public IDownloadProgress {
public:
    void onDownloadProgress(std::int64_t downloaded, std::int64_t total, std::int32_t) override {
        if (firstKept_ < 0) firstKept_ = std::clamp<std::int64_t>(downloaded, 0, total);
        lastKept_ = std::clamp<std::int64_t>(downloaded, 0, total);
        total_ = total;
        const auto now = Clock::now();
        const bool complete = downloaded >= total;
        if (complete ? drawnComplete_ : now - lastDraw_ < std::chrono::milliseconds(200)) return;
        lastDraw_ = now;
        drawnComplete_ = complete;
        downloaded = std::min(downloaded, total);
        const double mib = 1048576.0;
        const double percent = total > 0 ? 100.0 * static_cast<double>(downloaded) / total : 0;
        const double rate = static_cast<double>(downloaded) / mib / std::max(Seconds(start_), 1e-3);
        std::fprintf(stderr, "\r%6.2f%%  %9.1f / %.1f MiB  %8.1f MiB/s ", std::min(percent, 100.0),
                     static_cast<double>(downloaded) / mib, static_cast<double>(total) / mib, rate);
        drawn_ = true;
    }
    void Finish() const {
        if (drawn_) std::fputc('\n', stderr);
    }
    // Bytes this run added to the package: all that was missing when it succeeded, else what the
    // last report counted beyond the first (the engine counts only bytes in the file).
    std::int64_t KeptThisRun(bool succeeded) const {
        if (firstKept_ < 0) return 0;
        const std::int64_t end = succeeded ? total_ : lastKept_;
        return std::max<std::int64_t>(end - firstKept_, 0);
    }

private:
    std::int64_t firstKept_ = -1;
    std::int64_t lastKept_ = 0;
    std::int64_t total_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
    bool drawn_ = false;
    bool drawnComplete_ = false;
};

struct Options {
    std::string url, path, md5, log;
};

bool ParseArguments(const std::vector<std::string>& args, Options& options) {
    int positional = 0;
    const std::size_t count = args.size();
    for (std::size_t i = 1; i < count; ++i) {
        if (args[i] == "--md5" && i + 1 < count) {
            options.md5 = args[++i];
        } else if (args[i] == "--log" && i + 1 < count) {
            options.log = args[++i];
        } else if (args[i].starts_with("--")) {
            return false;
        } else if (positional == 0) {
            options.url = args[i], ++positional;
        } else if (positional == 1) {
            options.path = args[i], ++positional;
        } else {
            return false;
        }
    }
    return positional == 2;
}

void ConfigureLog(const std::string& file) {
    if (!file.empty()) FuntionImpl::ConfigureLogger(FuntionImpl::Utf8ToUtf16(file));
    el::Loggers::reconfigureLogger("default", el::ConfigurationType::ToStandardOutput, "false");
    if (file.empty())
        el::Loggers::reconfigureLogger("default", el::ConfigurationType::Enabled, "false");
}

int CheckDigest(const Options& options) {
    const std::wstring expected = FuntionImpl::Utf8ToUtf16(options.md5);
    const int ok =
        CDownLoadImpl::checkMD5(FuntionImpl::Utf8ToUtf16(options.path), expected, L"", L"");
    std::printf("md5: %s %s\n", CDownLoadImpl::FileMd5(options.path).c_str(),
                ok ? "match" : "MISMATCH");
    return ok ? 0 : kDigestMismatch;
}

}  // namespace

int Utf8Main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(std::vector<std::string>(argv, argv + argc), options)) {
        std::fprintf(stderr, "usage: cvd-fetch URL PATH [--md5 HEX] [--log FILE]\n");
        return kUsage;
    }
    ConfigureLog(options.log);
    curl_global_init(CURL_GLOBAL_ALL);
    ConsoleProgress progress;
    CDownLoadImpl engine(&progress);
    std::string cdn;
    const auto started = Clock::now();
    const int result =
        engine.SuperDownloadFile(FuntionImpl::Utf8ToUtf16(options.url),
                                 FuntionImpl::Utf8ToUtf16(options.path), cdn, false, false);
    const double seconds = Seconds(started);
    progress.Finish();
    const double mib = static_cast<double>(progress.KeptThisRun(result == Success)) / 1048576.0;
    std::printf("result: %d\ncdn: %s\n", result, cdn.c_str());
    if (result == Success)
        std::printf("average speed: %.1f MiB/s (%.1f MiB in %.2f s)\n",
                    mib / std::max(seconds, 1e-3), mib, seconds);
    else
        std::printf(
            "no average speed: the download failed after %.2f s; %.1f MiB kept for "
            "resuming\n",
            seconds, mib);
    int status = result == Success ? 0 : result;
    if (status == 0 && !options.md5.empty()) status = CheckDigest(options);
    curl_global_cleanup();
    return status;
}
