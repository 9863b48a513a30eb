// libcurl's global state is set up once, before any test starts a worker thread.
//
// Started as "--hold SECONDS", a copy of this program stands in for a setup that is still
// running: it waits and ends, on every system, with no other program needed.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--hold") {
        std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[2])));
        return 0;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
