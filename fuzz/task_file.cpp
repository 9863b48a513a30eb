// The task file: read from the package folder, where anything may have written it. The reader
// must take any bytes; the check must accept only files whose ranges tile the package exactly,
// without overflow, so no resumed range ever writes past the file. The size probe of the check
// asks a small HTTP server in this process, which answers with the size the task file records.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "FuzzCheck.h"
#include "QuietDownload.h"
#include "download/CDownloadTaskManager.h"
#include "download/TaskFile.h"

namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
}

// Answers every request with headers only: the size of the current input's package.
class SizeServer {
public:
    bool Start() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return false;
        port_ = ntohs(address.sin_port);
        std::thread([this] { Serve(); }).detach();
        return true;
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/pkg.bin"; }
    void SetSize(std::int64_t size) { size_ = size; }

private:
    void Serve() {
        while (true) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            const std::string answer =
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size_.load()) +
                "\r\nConnection: close\r\n\r\n";
            (void)send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            close(client);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<std::int64_t> size_{0};
};

SizeServer& Server() {
    static SizeServer& server = *new SizeServer;
    return server;
}

void CheckAcceptedLayout(const CDownloadTaskManager& tasks) {
    FUZZ_CHECK(tasks.ContentLength > 0);
    std::int64_t next = 0;
    for (const auto& t : tasks.allTasks()) {
        FUZZ_CHECK(t->StartPos == next);
        FUZZ_CHECK(t->EndPos >= t->StartPos && t->EndPos <= tasks.ContentLength);
        FUZZ_CHECK(t->DownloadedPos.load() >= t->StartPos);
        FUZZ_CHECK(t->DownloadedPos.load() <= t->EndPos);
        next = t->EndPos + 1;
    }
    FUZZ_CHECK(next == tasks.ContentLength + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::QuietDownloadTarget();
    if (!Server().Start()) std::abort();
    Folder() = fuzz::PrivateHome() + "/task";
    std::filesystem::create_directories(Folder());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);

    // Parsing and saving again keeps every field the reader took.
    const TaskFileContent read = TaskFile::Parse(xml);
    const TaskFileContent again = TaskFile::Parse(TaskFile::Format(read));
    FUZZ_CHECK(again.TasksCount == read.TasksCount);
    FUZZ_CHECK(again.ContentLength == read.ContentLength);
    FUZZ_CHECK(again.DownloadTime == read.DownloadTime);
    FUZZ_CHECK(again.Tasks.size() == read.Tasks.size());
    for (std::size_t i = 0; i < read.Tasks.size(); ++i) {
        FUZZ_CHECK(again.Tasks[i].StartPos == read.Tasks[i].StartPos);
        FUZZ_CHECK(again.Tasks[i].EndPos == read.Tasks[i].EndPos);
        FUZZ_CHECK(again.Tasks[i].DownloadedPos == read.Tasks[i].DownloadedPos);
        FUZZ_CHECK(again.Tasks[i].TaskId == read.Tasks[i].TaskId);
    }

    const std::string package = (Folder() / "pkg.bin").string();
    const std::string taskFile = package + ".xml";
    if (!TaskFile::Save(taskFile, read)) return 0;
    Server().SetSize(read.ContentLength);
    CDownloadTaskManager tasks(Server().Url(), package, taskFile);
    tasks.readTaskFile();
    if (tasks.checkTaskFile() == 1) CheckAcceptedLayout(tasks);
    tasks.addDownloadTime(1000);
    return 0;
}
