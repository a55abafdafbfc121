#include "porttest/test_listener.h"

#include <thread>

#include "foundation/pump.h"
#include "platform/clock.h"
#include "platform/test_listen.h"

std::atomic<int> glb_ListenerStatus{kListenerNotStarted};

const char kListenerReply[] = "HTTP/1.0 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nOK";

namespace {

using platform::Socket;
using platform::SocketEvent;

constexpr int kTries = 20;
constexpr int kStepMs = 100;
constexpr int kSettleMs = 500;
constexpr int kRequestBytes = 6000;
constexpr int kPollSliceMs = 10;

std::thread g_thread;
std::atomic<bool> g_running{false};

// Up to 20 steps of 100 ms; true as soon as the socket has the event.
bool WaitFor(Socket socket, SocketEvent event) {
    for (int i = 0; i < kTries; ++i) {
        if (platform::SocketReady(socket, event, kStepMs)) return true;
    }
    return false;
}

// Binds the port; the status tells a failure.
Socket Bind(platform::ListenKind kind, int port) {
    Socket socket = platform::kNoSocket;
    int result = platform::OpenTestListener(kind, port, &socket);
    if (result != platform::kListenOk) glb_ListenerStatus = result;
    return socket;
}

// Takes the request (unread) and sends the fixed answer.
void Answer(Socket connection) {
    platform::SleepMs(kSettleMs);
    if (WaitFor(connection, SocketEvent::kReadable)) {
        char request[kRequestBytes];
        platform::SocketRecv(connection, request, kRequestBytes);
    }
    if (WaitFor(connection, SocketEvent::kWritable)) {
        platform::SocketSend(connection, kListenerReply, sizeof kListenerReply - 1);
    }
    platform::ShutdownSocket(connection);
    platform::CloseSocket(connection);
}

void ListenTcp(int port) {
    Socket listener = Bind(platform::ListenKind::kTcp, port);
    if (listener == platform::kNoSocket) return;
    glb_ListenerStatus = kListenerListening;
    Socket connection = platform::kNoSocket;
    if (WaitFor(listener, SocketEvent::kReadable)) connection = platform::TcpAccept(listener);
    if (connection == platform::kNoSocket) {
        platform::CloseSocket(listener);
        glb_ListenerStatus = kListenerNoPeer;
        return;
    }
    Answer(connection);
    platform::CloseSocket(listener);
    glb_ListenerStatus = kListenerReached;
}

// The datagram is not read: that one came is all the test needs.
void ListenUdp(int port) {
    Socket socket = Bind(platform::ListenKind::kUdp, port);
    if (socket == platform::kNoSocket) return;
    glb_ListenerStatus = kListenerListening;
    bool came = WaitFor(socket, SocketEvent::kReadable);
    if (came) platform::SleepMs(kSettleMs);
    platform::CloseSocket(socket);
    glb_ListenerStatus = came ? kListenerReached : kListenerNoPeer;
}

}  // namespace

void StartTestListener(bool udp, int port) {
    FinishTestListener();
    glb_ListenerStatus = kListenerNotStarted;
    g_running = true;
    g_thread = std::thread([udp, port] {
        if (udp) {
            ListenUdp(port);
        } else {
            ListenTcp(port);
        }
        g_running = false;
    });
}

void FinishTestListener() {
    if (!g_thread.joinable()) return;
    while (g_running) {
        PumpSleepFor(kStepMs, [](int ms) {
            for (int waited = 0; waited < ms && g_running; waited += kPollSliceMs) {
                platform::SleepMs(kPollSliceMs);
            }
            return !g_running;
        });
    }
    g_thread.join();
}

void ResetTestListenerForTests() {
    if (g_thread.joinable()) g_thread.join();
    glb_ListenerStatus = kListenerNotStarted;
}
