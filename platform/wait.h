// A wait that a signal cuts short, for the console's timer loop.
#pragma once

namespace platform {

// Waits up to ms milliseconds; a signal that arrives meanwhile ends the wait
// early (poll without descriptors).
void WaitMs(int ms);

}  // namespace platform
