// sluice-testserver on loopback: the request it accepts, the probe back to the
// requester only, and its limits (rate per address, request size, slow heads).
#include "testserver/test_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/memfile.h"
#include "net/http_exchange.h"
#include "platform/socket.h"
#include "platform/test_listen.h"
#include "testserver/probe_request.h"

namespace {

struct RequestCase {
    const char* head;
    int status;
    int port;
    bool udp;
};

TEST(ProbeRequestTest, AcceptsOnlyTheProbeScriptWithAPort) {
    const RequestCase cases[] = {
        {"GET /cgi-bin/port_scan.php?port=28800 HTTP/1.0\r\n\r\n", 200, 28800, false},
        {"GET /tools/cgi-bin/port_scan.php?port=1&prot=1 HTTP/1.0\r\n\r\n", 200, 1, true},
        {"GET /cgi-bin/port_scan.php?prot=1&port=65535 HTTP/1.1\r\nHost: x\r\n\r\n", 200, 65535,
         true},
        {"GET /cgi-bin/port_scan.php?port=28800&host=10.1.2.3 HTTP/1.0\r\n\r\n", 200, 28800, false},
        {"GET /cgi-bin/port_scan.php?port=0 HTTP/1.0\r\n\r\n", 400, 0, false},
        {"GET /cgi-bin/port_scan.php?port=65536 HTTP/1.0\r\n\r\n", 400, 0, false},
        {"GET /cgi-bin/port_scan.php?port=8o HTTP/1.0\r\n\r\n", 400, 0, false},
        {"GET /cgi-bin/port_scan.php?port=-80 HTTP/1.0\r\n\r\n", 400, 0, false},
        {"GET /cgi-bin/port_scan.php HTTP/1.0\r\n\r\n", 400, 0, false},
        {"GET /index.html?port=80 HTTP/1.0\r\n\r\n", 404, 0, false},
        {"POST /cgi-bin/port_scan.php?port=80 HTTP/1.0\r\n\r\n", 405, 0, false},
        {"garbage\r\n\r\n", 400, 0, false},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.head);
        Probe probe;
        EXPECT_EQ(c.status, ParseProbeRequest(c.head, &probe));
        if (c.status != 200) continue;
        EXPECT_EQ(c.port, probe.port);
        EXPECT_EQ(c.udp, probe.udp);
    }
    EXPECT_EQ("GET /a?b=?? HTTP/1.0", LoggableRequestLine("GET /a?b=\x1b\xff HTTP/1.0\r\n"));
    EXPECT_EQ(200u, LoggableRequestLine("GET /" + std::string(500, 'a')).size());
}

TEST(RateLimitTest, CountsPerAddressWithinAMinute) {
    RateLimit limit(2);
    EXPECT_TRUE(limit.Allow("198.51.100.1", 0));
    EXPECT_TRUE(limit.Allow("198.51.100.1", 1000));
    EXPECT_FALSE(limit.Allow("198.51.100.1", 2000));
    EXPECT_TRUE(limit.Allow("198.51.100.2", 2000));  // another address has its own count
    EXPECT_FALSE(limit.Allow("198.51.100.1", 59999));
    EXPECT_TRUE(limit.Allow("198.51.100.1", 60000));  // the first request is a minute old
    EXPECT_FALSE(limit.Allow("198.51.100.1", 60500));
}

class TestServerTest : public ::testing::Test {
  protected:
    void Start(int perMinute = 100) {
        TestServerOptions options;
        options.address = "127.0.0.1";
        options.port = 0;
        options.perMinute = perMinute;
        options.headMs = 1000;
        options.log = [this](const std::string& line) { log_.push_back(line); };
        server_ = std::make_unique<TestServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }
    void TearDown() override {
        if (server_) server_->Stop();
    }

    // Sends request bytes and returns the status; body receives the page.
    int Send(const std::string& request, std::string* body = nullptr) {
        MemFile* out = MemOpen(std::to_string(request.size() + 1).c_str(), "mw");
        MemWrite(out, request.data(), request.size());
        MemFile* in = MemOpen("3000", "mw");
        int status = HttpExchange("127.0.0.1", std::to_string(server_->Port()).c_str(), out, in,
                                  6000, nullptr);
        if (body) body->assign(MemData(in), MemLength(in));
        MemClose(out);
        MemClose(in);
        return status;
    }
    int Probe(const std::string& query, std::string* body = nullptr) {
        return Send("GET /cgi-bin/port_scan.php?" + query + " HTTP/1.0\r\n\r\n", body);
    }

    std::unique_ptr<TestServer> server_;
    std::vector<std::string> log_;
};

TEST_F(TestServerTest, TcpProbeReachesTheRequesterAndSaysSo) {
    Start();
    int port = 0;
    platform::Socket listener = platform::TcpListen("127.0.0.1", 0, &port);
    ASSERT_NE(platform::kNoSocket, listener);
    std::string body;
    // A host named in the request is ignored: the probe goes to the requester.
    EXPECT_EQ(200, Probe("port=" + std::to_string(port) + "&host=192.0.2.1", &body));
    EXPECT_NE(std::string::npos, body.find("あなたの"));
    EXPECT_NE(std::string::npos, body.find(": reached<"));
    platform::Socket accepted = platform::TcpAccept(listener);
    ASSERT_NE(platform::kNoSocket, accepted);
    char request[100] = {};
    ASSERT_TRUE(platform::SocketReady(accepted, platform::SocketEvent::kReadable, 1000));
    EXPECT_EQ(std::string(kProbeRequestLine),
              std::string(request, platform::SocketRecv(accepted, request, sizeof request)));
    platform::CloseSocket(accepted);
    platform::CloseSocket(listener);
    ASSERT_EQ(1u, log_.size());
    EXPECT_NE(std::string::npos, log_[0].find(" 127.0.0.1 \"GET /cgi-bin/port_scan.php?port="));
    EXPECT_NE(std::string::npos, log_[0].find("\" 200 reached "));
}

TEST_F(TestServerTest, ClosedPortIsNotReached) {
    Start();
    int port = 0;
    platform::CloseSocket(platform::TcpListen("127.0.0.1", 0, &port));
    std::string body;
    EXPECT_EQ(200, Probe("port=" + std::to_string(port), &body));
    EXPECT_NE(std::string::npos, body.find("あなたの"));
    EXPECT_NE(std::string::npos, body.find(": not reached<"));
}

TEST_F(TestServerTest, UdpProbeIsOneSmallDatagram) {
    Start();
    platform::Socket socket = platform::kNoSocket;
    int port = 0;
    platform::CloseSocket(platform::TcpListen("127.0.0.1", 0, &port));
    ASSERT_EQ(platform::kListenOk,
              platform::OpenTestListener(platform::ListenKind::kUdp, port, &socket));
    std::string body;
    EXPECT_EQ(200, Probe("port=" + std::to_string(port) + "&prot=1", &body));
    EXPECT_NE(std::string::npos, body.find(": sent<"));
    ASSERT_TRUE(platform::SocketReady(socket, platform::SocketEvent::kReadable, 1000));
    char datagram[2000];
    int size = platform::SocketRecv(socket, datagram, sizeof datagram);
    EXPECT_EQ(std::string(kProbeDatagram), std::string(datagram, size > 0 ? size : 0));
    EXPECT_LE(size, 64);
    EXPECT_FALSE(platform::SocketReady(socket, platform::SocketEvent::kReadable, 200));
    platform::CloseSocket(socket);
}

TEST_F(TestServerTest, RateCapRefusesWithoutProbing) {
    Start(2);
    int port = 0;
    platform::Socket listener = platform::TcpListen("127.0.0.1", 0, &port);
    std::string query = "port=" + std::to_string(port);
    EXPECT_EQ(200, Probe(query));
    EXPECT_EQ(200, Probe(query));
    EXPECT_EQ(429, Probe(query));
    int accepted = 0;
    for (platform::Socket s; (s = platform::TcpAccept(listener)) != platform::kNoSocket;) {
        platform::CloseSocket(s);
        ++accepted;
    }
    EXPECT_EQ(2, accepted);
    platform::CloseSocket(listener);
}

TEST_F(TestServerTest, OversizedOrBadRequestsAreRefused) {
    Start();
    EXPECT_EQ(413, Send("GET /cgi-bin/port_scan.php?port=80 HTTP/1.0\r\nX: " +
                        std::string(5000, 'a') + "\r\n\r\n"));
    EXPECT_EQ(404, Send("GET / HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(400, Probe("port=99999"));
    // A head that never ends is given up after the head time.
    EXPECT_EQ(408, Send("GET /cgi-bin/port_scan.php?port=80 HTTP/1.0\r\n"));
    for (const std::string& line : log_) EXPECT_EQ(std::string::npos, line.find("reached"));
}

}  // namespace
