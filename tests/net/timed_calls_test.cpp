#include "net/timed_calls.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "foundation/pump.h"
#include "tests/support/fake_http_server.h"

namespace {

int g_pumpCalls = 0;

int CountingHook(int) {
    ++g_pumpCalls;
    return 0;
}

// 127.0.0.1 in network byte order.
uint32_t Loopback() {
    const unsigned char bytes[4] = {127, 0, 0, 1};
    uint32_t address;
    std::memcpy(&address, bytes, 4);
    return address;
}

class TimedCallsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTimedResolveForTests();
        g_pumpCalls = 0;
        SetPumpHook(CountingHook);
    }
    void TearDown() override {
        SetPumpHook(nullptr);
        ResetTimedResolveForTests();
    }
};

TEST_F(TimedCallsTest, ResolveKeepsTheLastAnswerButNotFailures) {
    std::string official = "junk";
    EXPECT_EQ(TimedResolve("localhost", &official, 5000), Loopback());
    EXPECT_EQ(official, "localhost");
    EXPECT_GT(g_pumpCalls, 0);

    g_pumpCalls = 0;
    official = "junk";
    EXPECT_EQ(TimedResolve("localhost", &official, 5000), Loopback());
    EXPECT_EQ(official, "localhost");
    EXPECT_EQ(g_pumpCalls, 0) << "answered from the kept entry, without a lookup";

    for (int attempt = 0; attempt < 2; ++attempt) {
        g_pumpCalls = 0;
        EXPECT_EQ(TimedResolve("nonexistent.invalid", &official, 5000), 0u);
        EXPECT_EQ(official, "");
        EXPECT_GT(g_pumpCalls, 0) << "a failure is looked up again";
    }

    g_pumpCalls = 0;
    EXPECT_EQ(TimedResolve("127.0.0.1", nullptr, 5000), Loopback());
    EXPECT_GT(g_pumpCalls, 0) << "a new name replaces the kept one";
    EXPECT_EQ(TimedResolve("", nullptr, 5000), 0u);
}

// An event handler that runs during a lookup and starts one of its own takes
// the lookup job over: each call gets only its own answer.
TEST_F(TimedCallsTest, LookupStartedDuringALookupNeverHandsItsAnswerToTheOuterCall) {
    static uint32_t innerAnswer;
    static bool inside;
    innerAnswer = 0;
    inside = false;
    SetPumpHook([](int) {
        if (inside) return 0;
        inside = true;
        innerAnswer = TimedResolve("127.0.0.1", nullptr, 5000);
        return 1;
    });
    std::string official = "junk";
    EXPECT_EQ(TimedResolve("localhost", &official, 5000), 0u);
    EXPECT_EQ(official, "");
    EXPECT_EQ(innerAnswer, Loopback());
    SetPumpHook(nullptr);
    EXPECT_EQ(TimedResolve("127.0.0.1", nullptr, 5000), Loopback());
    EXPECT_EQ(TimedResolve("localhost", nullptr, 5000), Loopback());
}

TEST_F(TimedCallsTest, ConnectReportsSuccessAndRefusal) {
    FakeHttpServer server;
    platform::Socket socket = platform::TcpSocket();
    EXPECT_EQ(TimedConnect(socket, Loopback(), server.port(), 5000), 0);
    platform::CloseSocket(socket);

    int closedPort = server.port();
    server.Stop();
    socket = platform::TcpSocket();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TimedConnect(socket, Loopback(), closedPort, 60000), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30))
        << "a refusal must not wait for the limit";
    platform::CloseSocket(socket);
}

// A listener that accepts nothing and whose queue is full drops further
// connection attempts, so the next connect can only end by its limit.
TEST_F(TimedCallsTest, ConnectThatNeverCompletesEndsAtTheLimit) {
    int port = 0;
    platform::Socket listener = platform::TcpListen("127.0.0.1", 0, &port);
    ASSERT_NE(listener, platform::kNoSocket);
    std::vector<platform::Socket> fillers;
    for (int i = 0; i < 64; ++i) {
        fillers.push_back(platform::TcpSocket());
        platform::ConnectStart(fillers.back(), Loopback(), port);
    }
    platform::Socket socket = platform::TcpSocket();
    EXPECT_EQ(TimedConnect(socket, Loopback(), port, 600), -1);
    platform::CloseSocket(socket);
    socket = platform::TcpSocket();
    EXPECT_EQ(TimedConnect(socket, Loopback(), port, 0), -1);
    platform::CloseSocket(socket);
    for (platform::Socket filler : fillers) platform::CloseSocket(filler);
    platform::CloseSocket(listener);
}

}  // namespace
