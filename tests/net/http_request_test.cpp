#include "net/http_request.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/net/env_guard.h"
#include "tests/support/fake_http_server.h"

namespace {

class HttpRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        env_.Set("http_proxy", nullptr);
        env_.Set("HTTP_PROXY", nullptr);
        env_.Set("TZ", "JST-9");
        tzset();
        body_ = MemOpen("0", "mw");
    }
    void TearDown() override {
        MemClose(body_);
        tzset();
    }

    std::string Body() const { return std::string(MemData(body_), MemLength(body_)); }
    FakeRequest OnlyRequest() const {
        std::vector<FakeRequest> requests = server_.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? FakeRequest() : requests[0];
    }

    EnvGuard env_;
    FakeHttpServer server_;
    MemFile* body_ = nullptr;
};

TEST_F(HttpRequestTest, SendsAnHttp10GetWithItsHeadersInNameOrder) {
    server_.Route("GET", "/a/b?x=1", FakeAnswer::Http(200, "answer"));
    EXPECT_EQ(HttpRequest(server_.Url("/a/b?x=1").c_str(), body_, 0, 3000), 200);
    EXPECT_EQ(Body(), "answer");
    EXPECT_EQ(MemPosition(body_), 0u);
    FakeRequest request = OnlyRequest();
    EXPECT_EQ(request.raw.substr(0, request.raw.find("\r\n")), "GET /a/b?x=1 HTTP/1.0");
    std::string host = "127.0.0.1:" + server_.PortText();
    std::vector<std::string> expected = {
        "Accept: */*",
        "Accept-Language: ja",
        "Cache-Control: no-cache",
        "Connection: close",
        "Host: " + host,
        "Pragma: no-cache",
        "Referer: http://127.0.0.1/",
        "User-Agent: Mozilla/5.0 (Windows NT 6.3; WOW64; Trident/7.0; Touch; rv:11.0) like Gecko",
    };
    EXPECT_EQ(request.headerLines, expected);
    EXPECT_EQ(request.raw.substr(request.raw.size() - 4), "\r\n\r\n");
}

TEST_F(HttpRequestTest, ProxyGetsTheWholeUrlAndTheHostHeaderOmitsPort80) {
    const char* proxies[] = {"127.0.0.1:%s", "http://127.0.0.1:%s/", "http://me:pw@127.0.0.1:%s"};
    for (const char* form : proxies) {
        SCOPED_TRACE(form);
        char proxy[100];
        std::snprintf(proxy, sizeof proxy, form, server_.PortText().c_str());
        env_.Set("http_proxy", proxy);
        server_.Enqueue(FakeAnswer::Http(200, "via proxy"));
        const std::string urls[] = {"http://www.example.invalid/list.dat",
                                    "http://www.example.invalid:8080/list.dat"};
        EXPECT_EQ(HttpRequest(urls[0].c_str(), body_, 0, 3000), 200);
        EXPECT_EQ(Body(), "via proxy");
        ASSERT_TRUE(server_.WaitForRequests(1, 1000));
        FakeRequest request = server_.Requests().back();
        EXPECT_EQ(request.target, urls[0]);
        EXPECT_EQ(request.Header("Host"), "www.example.invalid");
        EXPECT_EQ(request.Header("Referer"), "http://www.example.invalid/");
        server_.Enqueue(FakeAnswer::Http(200, ""));
        HttpRequest(urls[1].c_str(), body_, 0, 3000);
        EXPECT_EQ(server_.Requests().back().Header("Host"), "www.example.invalid:8080");
    }
}

TEST_F(HttpRequestTest, NoProxyOptionConnectsDirectly) {
    env_.Set("HTTP_PROXY", "http://127.0.0.1:1/");
    server_.Enqueue(FakeAnswer::Http(200, "direct"));
    EXPECT_EQ(HttpRequest(server_.Url("/p").c_str(), body_, kHttpNoProxy, 3000), 200);
    EXPECT_EQ(Body(), "direct");
    EXPECT_EQ(OnlyRequest().target, "/p");
}

TEST_F(HttpRequestTest, ConditionalRequestSendsTheBufferTimeAndEmptiesItUnless200) {
    // 2026-12-05 02:30:00 UTC.
    const time_t stamp = 1796437800;
    struct Case {
        FakeAnswer answer;
        int status;
        std::string body;
    };
    const Case cases[] = {
        {FakeAnswer::Http(304, "not this"), 304, ""},
        {FakeAnswer::Http(404, "missing"), 404, ""},
        {FakeAnswer::Http(200, "new list"), 200, "new list"},
    };
    for (const Case& c : cases) {
        MemSetLength(body_, 0);
        MemWrite(body_, "old list, longer than the new one", 33);
        MemSetWriteTime(body_, stamp);
        server_.Enqueue(c.answer);
        EXPECT_EQ(HttpRequest(server_.Url("/list").c_str(), body_, kHttpConditional, 3000),
                  c.status);
        EXPECT_EQ(Body(), c.body);
        EXPECT_EQ(MemPosition(body_), 0u);
        EXPECT_EQ(server_.Requests().back().Header("If-Modified-Since"),
                  "Sat, 05 Dec 2026 02:30:00 GMT");
    }
}

TEST_F(HttpRequestTest, WithoutConditionNonOkBodiesAreKept) {
    server_.Enqueue(FakeAnswer::Http(404, "not found page"));
    EXPECT_EQ(HttpRequest(server_.Url("/none").c_str(), body_, 0, 3000), 404);
    EXPECT_EQ(Body(), "not found page");
    EXPECT_EQ(OnlyRequest().Header("If-Modified-Since"), "");
}

TEST_F(HttpRequestTest, ControlCharactersNeverReachTheRequest) {
    std::string injected = server_.Url("/a\r\nX-Injected: 1");
    EXPECT_EQ(HttpRequest(injected.c_str(), body_, 0, 3000), -1);
    EXPECT_EQ(server_.ConnectionCount(), 0);
    server_.Enqueue(FakeAnswer::Http(200, ""));
    EXPECT_EQ(HttpRequest(server_.Url("/a%0D%0AX:%201%41").c_str(), body_, 0, 3000), 200);
    FakeRequest request = OnlyRequest();
    EXPECT_EQ(request.target, "/a%0D%0AX:");
    EXPECT_EQ(request.Header("X-Injected"), "");
    EXPECT_EQ(HttpRequest(nullptr, body_, 0, 3000), -1);
}

}  // namespace
