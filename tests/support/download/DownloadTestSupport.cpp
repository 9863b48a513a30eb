#include "DownloadTestSupport.h"

#include <fstream>
#include <random>
#include <regex>
#include <sstream>

#include "config/CConfigure.h"
#include "download/TaskFile.h"
#include "net/CLibcurlTool.h"
#include "platform/Clock.h"
#include "sys/Log.h"

namespace cvdtest {

RecordingEvents::RecordingEvents() : previous_(SetDownloadEvents(this)) {}
RecordingEvents::~RecordingEvents() { SetDownloadEvents(previous_); }

void RecordingEvents::add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
}

void RecordingEvents::ga4(const std::string& category, const std::string& action,
                          const std::string& label) {
    add("ga4|" + category + "|" + action + "|" + label);
}

void RecordingEvents::funnel(const std::string& category, const std::string& action,
                             const std::string& key, const std::string& value) {
    add("funnel|" + category + "|" + action + "|" + key + "|" + value);
}

void RecordingEvents::funnelProperties(const std::string& category, const std::string& action,
                                       const std::map<std::string, std::string>& properties) {
    std::string event = "funnel|" + category + "|" + action;
    for (const auto& [key, value] : properties) event += "|" + key + "|" + value;
    add(event);
}

void RecordingEvents::funnelBucket(const std::string& category, const std::string& action,
                                   const std::string& key, std::int64_t value, std::int64_t width,
                                   const std::string& unit) {
    add("bucket|" + category + "|" + action + "|" + key + "|" + std::to_string(value) + "|" +
        std::to_string(width) + "|" + unit);
}

std::vector<std::string> RecordingEvents::All() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<std::string> RecordingEvents::Matching(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& e : All())
        if (e.rfind(prefix, 0) == 0) found.push_back(e);
    return found;
}

LogCapture::LogCapture(const std::filesystem::path& file) : file_(file) {
    FuntionImpl::ConfigureLogger(file.wstring());
    el::Loggers::reconfigureLogger("default", el::ConfigurationType::ToStandardOutput, "false");
}

std::string LogCapture::Text() const {
    el::Loggers::getLogger("default")->flush();
    return ReadFile(file_);
}

CdnStand::CdnStand(const std::filesystem::path& root, const std::filesystem::path& prefix,
                   const std::string& limitRate, bool http2)
    : prefix_(prefix) {
    std::vector<std::string> argv = {"python3",    SupportDir() + "/cdn/cdn_stand.py",
                                     "--root",     PathText(root),
                                     "--prefix",   PathText(prefix),
                                     "--lifetime", "600"};
    if (!limitRate.empty()) argv.insert(argv.end(), {"--limit-rate", limitRate});
    if (http2) argv.push_back("--http2");
    server_ = std::make_unique<ServerProcess>(argv, 30000);
    for (const std::string& line : server_->DrainOutput())
        if (line.rfind("HTTP_PORT ", 0) == 0) httpPort_ = std::stoi(line.substr(10));
}

std::string CdnStand::Https(const std::string& path, const std::string& host) const {
    return "https://" + host + ":" + std::to_string(server_->Port()) + "/" + path;
}

std::string CdnStand::Http(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(httpPort_) + "/" + path;
}

namespace {

// nginx's status answer: "... Reading: 0 Writing: 1 Waiting: 3".
bool OnlyTheStatusRequest(const std::string& status) {
    static const std::regex counters(R"(Reading: (\d+) Writing: (\d+))");
    std::smatch match;
    return std::regex_search(status, match, counters) && match[1] == "0" && match[2] == "1";
}

}  // namespace

bool CdnStand::WaitUntilIdle(int timeoutMs) const {
    // nginx counts an answer as ended a moment before it writes its log line, so the count must
    // read idle twice in a row.
    CLibcurlTool tool;
    int idleAnswers = 0;
    const std::uint32_t start = platform::TickCount();
    while (static_cast<int>(platform::TickCount() - start) < timeoutMs) {
        std::string status;
        const bool idle = tool.httpGet(Http("cvd-stand-status"), status, false) == CURLE_OK &&
                          OnlyTheStatusRequest(status);
        idleAnswers = idle ? idleAnswers + 1 : 0;
        if (idleAnswers == 2) return true;
        platform::SleepMs(10);
    }
    return false;
}

namespace {

std::vector<std::string> WebServerCommand(const std::string& kind,
                                          const std::filesystem::path& root,
                                          const std::filesystem::path& prefix, int rateKib) {
    std::vector<std::string> argv = {"python3",  SupportDir() + "/webserver.py",
                                     "--kind",   kind,
                                     "--root",   PathText(root),
                                     "--prefix", PathText(prefix)};
    if (rateKib > 0) argv.insert(argv.end(), {"--rate-kib", std::to_string(rateKib)});
    return argv;
}

}  // namespace

WebServer::WebServer(const std::string& kind, const std::filesystem::path& root,
                     const std::filesystem::path& prefix, int rateKib)
    : server_(WebServerCommand(kind, root, prefix, rateKib), 30000) {
    constexpr char kUnreachable[] = "ROOT UNREACHABLE ";
    const std::uint32_t start = platform::TickCount();
    while (server_.Started() && platform::TickCount() - start < 10000) {
        const std::vector<std::string> lines = server_.DrainOutput();
        if (!lines.empty()) {
            if (lines.front().rfind(kUnreachable, 0) == 0)
                unreachable_ = lines.front().substr(sizeof kUnreachable - 1);
            return;
        }
        platform::SleepMs(10);
    }
}

std::string WebServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/" + path;
}

FaultServer::FaultServer() : server_({"python3", SupportDir() + "/faultserver.py"}) {}

std::string FaultServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/" + path;
}

void FaultServerTest::SetUp() {
    CConfigure::Instance().ResetForTesting();
    ASSERT_TRUE(server.Started());
}

void WriteRandomFile(const std::filesystem::path& path, std::int64_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint64_t> block(8192);
    while (size > 0) {
        for (auto& word : block) word = random();
        const auto n = std::min<std::int64_t>(size, static_cast<std::int64_t>(block.size() * 8));
        out.write(reinterpret_cast<const char*>(block.data()), n);
        size -= n;
    }
}

namespace {

// Where the bytes a range records as downloaded end (a finished range holds its last byte too).
std::int64_t RecordedEnd(const TaskRecord& t, std::int64_t contentLength) {
    return t.DownloadedPos == t.EndPos ? std::min<std::int64_t>(t.EndPos + 1, contentLength)
                                       : t.DownloadedPos;
}

}  // namespace

std::int64_t RecordedBytes(const std::string& taskFile) {
    const TaskFileContent saved = TaskFile::Load(taskFile);
    std::int64_t sum = 0;
    for (const TaskRecord& t : saved.Tasks)
        sum += std::max<std::int64_t>(0, RecordedEnd(t, saved.ContentLength) - t.StartPos);
    return sum;
}

::testing::AssertionResult RecordedBytesAreServedOnes(const std::string& taskFile,
                                                      const std::string& package,
                                                      const std::string& served) {
    const TaskFileContent saved = TaskFile::Load(taskFile);
    const std::string bytes = ReadFile(package);
    for (const TaskRecord& t : saved.Tasks) {
        const std::int64_t end = RecordedEnd(t, saved.ContentLength);
        if (end <= t.StartPos) continue;
        if (t.StartPos < 0 || end > static_cast<std::int64_t>(bytes.size()) ||
            end > static_cast<std::int64_t>(served.size()))
            return ::testing::AssertionFailure() << "range " << t.TaskId << " records " << end;
        for (std::int64_t at = t.StartPos; at < end; ++at)
            if (bytes[at] != served[at])
                return ::testing::AssertionFailure()
                       << "range " << t.TaskId << " records byte " << at << ", which is wrong";
    }
    return ::testing::AssertionSuccess();
}

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code e1, e2;
    if (std::filesystem::file_size(a, e1) != std::filesystem::file_size(b, e2) || e1 || e2)
        return false;
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount()) return false;
        if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
    }
    return true;
}

}  // namespace cvdtest
