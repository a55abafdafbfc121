// The trace log: one line per notable step, appended to Sluice_Debug.txt in
// the temporary folder while the debug flag is on.
#pragma once

#include <string>

// 1 = write trace lines. Set by the command line and by the open command.
extern int glb_DebugFlag;

// Writes "%06d %s■%s■%d" (elapsed ms since the first call, step, detail,
// number) when the debug flag is on. Never fails: an unwritable file drops the
// line, and so does a symbolic link or another user's file at the trace path
// (the temporary folder is shared). The file is created with mode 0600.
void Trace(const char* step, const char* detail = "", int number = 0);
inline void Trace(const char* step, const std::string& detail, int number = 0) {
    Trace(step, detail.c_str(), number);
}

// Full path of the trace file (CP932).
std::string TraceFilePath();

// Clears the debug flag and both ticks, as at process start.
void ResetTraceForTests();
