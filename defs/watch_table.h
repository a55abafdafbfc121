// The watch table: the server programs found by the definition lookup, each
// with the port to open, the window (or process) that shows it runs, and the
// protocol.
#pragma once

#include <string>

constexpr int kWatchSlots = 10;

// Longest texts a slot holds, in bytes; longer ones are cut.
constexpr size_t kWatchProgramBytes = 999;
constexpr size_t kWatchPortBytes = 99;
constexpr size_t kWatchTitleBytes = 199;
constexpr size_t kWatchProtocolBytes = 99;

struct WatchEntry {
    std::string program;  // the program file, macros expanded
    std::string port;     // as read from the locator, not checked
    std::string title;    // emptied once the watch finds the program gone
    std::string protocol;
};

struct WatchTable {
    WatchEntry entries[kWatchSlots];
    int count = 0;  // filled slots, from the first
};

// Owned by watch_table.cpp.
extern WatchTable glb_WatchTable;

// Empties every slot and the count.
void ClearWatchTable();
// Fills the next free slot; false (nothing recorded) when all are filled.
bool AddWatchEntry(const std::string& program, const std::string& port, const std::string& title,
                   const std::string& protocol);

void ResetWatchTableForTests();
