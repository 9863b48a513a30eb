// The sockets one libcurl easy handle has open, learnt from its socket callbacks, so a transfer
// can tune the connection it reads from. libcurl does not name a transfer's socket while the
// transfer runs; a handle with exactly one socket open can only be using that one.
#pragma once

#include <curl/curl.h>

#include <vector>

#include "platform/Network.h"

class HandleSockets {
public:
    HandleSockets() = default;
    HandleSockets(const HandleSockets&) = delete;
    HandleSockets& operator=(const HandleSockets&) = delete;

    // Installs the callbacks; again after every curl_easy_reset, or a socket opened before the
    // reset would be closed behind the list's back and its number reused by another file.
    void Watch(CURL* handle);
    // The handle's socket; -1 when it has none or several open.
    platform::Socket Only() const;

private:
    static int Opened(void* self, curl_socket_t socket, curlsocktype purpose);
    static int Closing(void* self, curl_socket_t socket);

    std::vector<curl_socket_t> open_;
};
