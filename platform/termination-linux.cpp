#include <csignal>
#include <initializer_list>

#include "platform/termination.h"

namespace platform {
namespace {

volatile std::sig_atomic_t g_requested = 0;

extern "C" void OnTerminationSignal(int) {
    g_requested = 1;
}

}  // namespace

void CatchTerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

void RequestTermination() {
    g_requested = 1;
}

bool TakeTerminationRequest() {
    if (!g_requested) return false;
    g_requested = 0;
    return true;
}

void ResetTerminationForTests() {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) std::signal(signal, SIG_DFL);
    g_requested = 0;
}

}  // namespace platform
