#include "foundation/pump.h"
#include "net/timed_calls.h"

namespace {

constexpr int kFirstWaitMs = 100;
constexpr int kStepMs = 200;
constexpr int kEventsPerDispatch = 200;

}  // namespace

int TimedConnect(platform::Socket socket, uint32_t address, int port, int limitMs) {
    int started = platform::ConnectStart(socket, address, port);
    if (started <= 0) return started;
    auto finished = [socket](int ms) {
        return platform::SocketReady(socket, platform::SocketEvent::kWritable, ms);
    };
    PumpMessages(kEventsPerDispatch);
    finished(kFirstWaitMs);
    PumpMessages(kEventsPerDispatch);
    for (int waited = 0; waited < limitMs; waited += kStepMs) {
        if (finished(0)) break;
        PumpSleepFor(kStepMs, finished);
    }
    return finished(0) ? platform::ConnectResult(socket) : -1;
}
