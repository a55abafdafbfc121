// The request to end the process from outside: SIGTERM, SIGHUP and SIGINT, or
// the desktop session ending. A signal handler may do almost nothing, so it
// only sets a flag; the program reads the flag on its main loop and does its
// cleanup there (closing ports it opened), then ends by itself.
#pragma once

namespace platform {

// Installs the handlers of SIGTERM, SIGHUP and SIGINT. From then on these
// signals no longer end the process; they set the flag.
void CatchTerminationSignals();

// Sets the flag as a signal would (the session manager's end of session).
void RequestTermination();

// True once when the flag is set: the flag is cleared by reading it.
bool TakeTerminationRequest();

// Clears the flag and gives the signals their default action again.
void ResetTerminationForTests();

}  // namespace platform
