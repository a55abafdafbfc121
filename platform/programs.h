// Starting the server programs the watch looks after, and collecting them
// once they end, so that an ended program does not linger as a zombie that
// still looks alive in the process list.
#pragma once

#include <string>

namespace platform {

// Starts the executable at path (CP932) as a new process, without a shell
// and without arguments, with folder as its working folder. The process gets
// this one's environment, standard streams and session. False when it could
// not be started (missing, not executable, or the folder cannot be entered).
bool StartProgram(const std::string& path, const std::string& folder);

// Collects every program started here that has ended; never waits.
void ReapPrograms();

// Collects the ended programs and forgets the rest.
void ResetProgramsForTests();

}  // namespace platform
