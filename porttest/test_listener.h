// The listening side of the port-open test: one worker thread per listen
// step, which binds the test port, waits for a peer and reports through a
// shared status word.
#pragma once

#include <atomic>

// Listener status values.
enum ListenerStatus {
    kListenerNotStarted = 0,
    kListenerListening = 1,
    kListenerReached = 2,  // TCP: a connection was accepted and answered; UDP: a datagram came
    kListenerNoSocket = -1,
    kListenerNoBind = -2,
    kListenerNoPeer = -3,  // nobody came within 2000 ms
};

// The status of the current listener, written by the test before the
// listener starts and by the listener after that. Owned by test_listener.cpp.
extern std::atomic<int> glb_ListenerStatus;

// The fixed answer of the TCP listener (59 bytes).
extern const char kListenerReply[];

// Sets the status to 0 and starts a TCP (udp false) or UDP listener on port.
// A listener still running from before is waited for first.
void StartTestListener(bool udp, int port);

// Waits, dispatching events, until the listener thread has ended, and joins
// it. Its own waits end it within 6500 ms of its start.
void FinishTestListener();

// Joins any listener and sets the status to 0.
void ResetTestListenerForTests();
