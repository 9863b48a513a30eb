// Windows (under Wine): the server runs on the Linux side, started by the server host over a
// loopback connection. The host's state file holds "PORT <n>" and "TOKEN <hex>" lines.
//
// Request, one line each: "CVD-SERVER-HOST 1", "TOKEN <hex>", "ARGC <n>", then the n arguments
// with '%', control characters and DEL written as %XX. Answer: the server's output lines, the
// first of them its "PORT <n>" line, or one "FAILED <reason>" line. Closing our sending side
// asks the host to end the server; it closes the connection once the server is gone.
#include "ServerProcess.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "TempEnv.h"
#include "TestSystem.h"

namespace cvdtest {
namespace {

namespace fs = std::filesystem;

constexpr int kStopTimeoutMs = 15000;

// Wine's own mapping between its drives and Linux paths; absent on a real Windows.
using ToUnix = char*(__cdecl*)(const wchar_t*);
using ToDos = wchar_t*(__cdecl*)(const char*);

template <typename Function>
Function WineFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

std::optional<std::string> UnixPath(const fs::path& path) {
    static const ToUnix toUnix = WineFunction<ToUnix>("wine_get_unix_file_name");
    if (!toUnix) return std::nullopt;
    char* unix = toUnix(path.c_str());
    if (!unix) return std::nullopt;
    std::string text(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

// A Windows path as the Linux path Wine maps it to. Folders that do not exist yet are mapped
// through the deepest one that does.
std::string LinuxArgument(const std::string& argument) {
    const bool windowsPath = argument.size() > 2 &&
                             std::isalpha(static_cast<unsigned char>(argument[0])) &&
                             argument[1] == ':' && (argument[2] == '\\' || argument[2] == '/');
    if (!windowsPath) return argument;
    const fs::path path = Utf8Path(argument).lexically_normal();
    fs::path missing;
    for (fs::path existing = path; existing.has_relative_path();
         existing = existing.parent_path()) {
        if (const auto unix = UnixPath(existing)) {
            std::string mapped = *unix;
            for (const fs::path& part : missing) mapped += "/" + PathText(part);
            return mapped;
        }
        missing = existing.filename() / missing;
    }
    return argument;
}

fs::path WindowsPath(const std::string& linuxPath) {
    static const ToDos toDos = WineFunction<ToDos>("wine_get_dos_file_name");
    if (!toDos) return Utf8Path(linuxPath);
    wchar_t* dos = toDos(linuxPath.c_str());
    if (!dos) return Utf8Path(linuxPath);
    fs::path path(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return path;
}

std::string Escaped(const std::string& argument) {
    std::string text;
    char code[4];
    for (unsigned char c : argument) {
        if (c == '%' || c < 0x20 || c == 0x7f) {
            std::snprintf(code, sizeof code, "%%%02X", c);
            text += code;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

struct HostAddress {
    int port = 0;
    std::string token;
};

std::optional<HostAddress> ReadHostFile() {
    const std::optional<std::string> file = GetVariable("CVD_SERVER_HOST");
    if (!file) {
        std::fprintf(stderr, "CVD_SERVER_HOST is not set: no server host to start servers\n");
        return std::nullopt;
    }
    std::ifstream in(WindowsPath(*file));
    HostAddress host;
    std::string key, value;
    while (in >> key >> value) {
        if (key == "PORT") host.port = std::atoi(value.c_str());
        if (key == "TOKEN") host.token = value;
    }
    if (host.port <= 0 || host.token.empty()) {
        std::fprintf(stderr, "the server host file %s names no host\n", file->c_str());
        return std::nullopt;
    }
    return host;
}

bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET Connect(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

bool SendAll(SOCKET s, const std::string& text) {
    for (std::size_t sent = 0; sent < text.size();) {
        const int n = send(s, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

enum class Received { Data, Timeout, Closed };

// Appends what arrives within `timeoutMs` to `pending`.
Received Receive(SOCKET s, std::string& pending, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (ready == 0) return Received::Timeout;
    char buffer[4096];
    const int n = ready > 0 ? recv(s, buffer, sizeof buffer, 0) : -1;
    if (n <= 0) return Received::Closed;
    pending.append(buffer, static_cast<std::size_t>(n));
    return Received::Data;
}

}  // namespace

ServerProcess::ServerProcess(std::vector<std::string> argv, int startTimeoutMs) {
    const std::optional<HostAddress> host = ReadHostFile();
    if (!host || !WinsockReady()) return;
    const SOCKET s = Connect(host->port);
    if (s == INVALID_SOCKET) {
        std::fprintf(stderr, "the server host on port %d does not answer\n", host->port);
        return;
    }
    channel_ = static_cast<std::intptr_t>(s);
    std::string request =
        "CVD-SERVER-HOST 1\nTOKEN " + host->token + "\nARGC " + std::to_string(argv.size()) + "\n";
    for (const std::string& argument : argv) request += Escaped(LinuxArgument(argument)) + "\n";
    std::string line;
    const auto receive = [&](int leftMs) { return Receive(s, pending_, leftMs) == Received::Data; };
    if (!SendAll(s, request) || !TakeLine(pending_, line, startTimeoutMs, receive)) return;
    if (line.rfind("PORT ", 0) == 0)
        port_ = std::atoi(line.c_str() + 5);
    else
        std::fprintf(stderr, "the server host did not start %s: %s\n",
                     argv.size() > 1 ? argv[1].c_str() : argv[0].c_str(), line.c_str());
}

ServerProcess::~ServerProcess() { Stop(); }

std::vector<std::string> ServerProcess::DrainOutput() {
    if (channel_ >= 0)
        while (Receive(static_cast<SOCKET>(channel_), pending_, 0) == Received::Data) {
        }
    return TakeLines(pending_);
}

void ServerProcess::Stop() {
    if (channel_ >= 0) {
        const SOCKET s = static_cast<SOCKET>(channel_);
        shutdown(s, SD_SEND);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
        std::string ignored;
        while (std::chrono::steady_clock::now() < deadline &&
               Receive(s, ignored, 1000) != Received::Closed)
            ignored.clear();
        closesocket(s);
        channel_ = -1;
    }
    port_ = 0;
}

}  // namespace cvdtest
