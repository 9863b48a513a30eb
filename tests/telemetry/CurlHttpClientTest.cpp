#include <gtest/gtest.h>

#include <thread>

#include "CollectorServer.h"
#include "net/CurlHttpClient.h"

namespace {

using cvdtest::CollectorServer;

constexpr const char* kRefused = "http://127.0.0.1:1/";

class CurlHttpClientTest : public ::testing::Test {
protected:
    CollectorServer collector{{"--status", "/created=201", "--status", "/accepted=202"}};
    std::string Url(const std::string& path) const { return "http://" + collector.Host() + path; }
};

TEST_F(CurlHttpClientTest, PostSendsTheBodyWithTheOneHeaderLine) {
    ASSERT_TRUE(collector.Started());
    CurlHttpClient client;
    ASSERT_EQ(client.Post(Url("/created?x=1"), "Content-Type:application/json; charset=utf-8",
                          "{\"a\":1}"),
              0);
    EXPECT_EQ(client.GetResponseCode(), 201);
    EXPECT_EQ(client.GetResponse(), "{}");

    const auto requests = collector.RequestsTo("/created");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["query"], "x=1");
    EXPECT_EQ(requests[0]["body"], "{\"a\":1}");
    EXPECT_EQ(requests[0]["headers"]["content-type"], "application/json; charset=utf-8");
}

TEST_F(CurlHttpClientTest, GetSendsNoBodyAndWorksOverTls) {
    ASSERT_TRUE(collector.Started());
    CurlHttpClient client;
    ASSERT_EQ(client.Get("https://" + collector.Host() + "/accepted", "X-Probe: 1"), 0);
    EXPECT_EQ(client.GetResponseCode(), 202);
    const auto requests = collector.RequestsTo("/accepted");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "GET");
    EXPECT_EQ(requests[0]["headers"]["x-probe"], "1");
}

TEST_F(CurlHttpClientTest, AFailedRequestKeepsTheThreadsPreviousResultAndIsLogged) {
    ASSERT_TRUE(collector.Started());
    std::vector<std::string> lines;
    CurlHttpClient client([&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(client.GetResponseCode(), 0);  // nothing succeeded yet
    EXPECT_EQ(client.GetResponse(), "");

    ASSERT_EQ(client.Get(Url("/created"), "Accept: */*"), 0);
    EXPECT_EQ(client.Get(kRefused, "Accept: */*"), 7);  // CURLE_COULDNT_CONNECT
    EXPECT_EQ(client.GetResponseCode(), 201);
    EXPECT_EQ(lines, std::vector<std::string>{"Failed to perform request [7]\n"});
}

TEST_F(CurlHttpClientTest, EachThreadReadsItsOwnStatus) {
    ASSERT_TRUE(collector.Started());
    CurlHttpClient client;
    int first = 0, second = 0;
    std::thread a([&] {
        client.Post(Url("/created"), "Accept: */*", "a");
        first = client.GetResponseCode();
    });
    std::thread b([&] {
        client.Post(Url("/accepted"), "Accept: */*", "b");
        second = client.GetResponseCode();
    });
    a.join();
    b.join();
    EXPECT_EQ(first, 201);
    EXPECT_EQ(second, 202);
    EXPECT_EQ(client.GetResponseCode(), 0);  // this thread sent nothing
}

TEST_F(CurlHttpClientTest, RequestsGoThroughTheProxy) {
    ASSERT_TRUE(collector.Started());
    CurlHttpClient client;
    client.SetProxy(collector.Host());
    ASSERT_EQ(client.Get("http://reports.invalid/through-proxy", "Accept: */*"), 0);
    const auto requests = collector.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["headers"]["host"], "reports.invalid");
}

}  // namespace
