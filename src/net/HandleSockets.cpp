#include "net/HandleSockets.h"

#include <algorithm>

void HandleSockets::Watch(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &HandleSockets::Opened);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &HandleSockets::Closing);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, this);
}

platform::Socket HandleSockets::Only() const {
    return open_.size() == 1 ? static_cast<platform::Socket>(open_.front()) : -1;
}

int HandleSockets::Opened(void* self, curl_socket_t socket, curlsocktype) {
    static_cast<HandleSockets*>(self)->open_.push_back(socket);
    return CURL_SOCKOPT_OK;
}

int HandleSockets::Closing(void* self, curl_socket_t socket) {
    auto& open = static_cast<HandleSockets*>(self)->open_;
    open.erase(std::remove(open.begin(), open.end(), socket), open.end());
    return platform::CloseSocket(static_cast<platform::Socket>(socket)) ? 0 : 1;
}
