#include "defs/watch_table.h"

#include "foundation/keyed_table.h"

WatchTable glb_WatchTable;

void ClearWatchTable() {
    glb_WatchTable = WatchTable();
}

bool AddWatchEntry(const std::string& program, const std::string& port, const std::string& title,
                   const std::string& protocol) {
    if (glb_WatchTable.count >= kWatchSlots) return false;
    WatchEntry& entry = glb_WatchTable.entries[glb_WatchTable.count++];
    entry.program = CutAtCharBoundary(program, kWatchProgramBytes);
    entry.port = CutAtCharBoundary(port, kWatchPortBytes);
    entry.title = CutAtCharBoundary(title, kWatchTitleBytes);
    entry.protocol = CutAtCharBoundary(protocol, kWatchProtocolBytes);
    return true;
}

void ResetWatchTableForTests() {
    ClearWatchTable();
}
