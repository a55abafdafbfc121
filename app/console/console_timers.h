// The one-shot timers of a run without windows: each id has at most one due
// time on the program's tick count; starting an id again replaces it.
#pragma once

#include <cstdint>
#include <map>

class ConsoleTimers {
  public:
    void Start(int id, int ms);
    void Stop(int id);
    void StopAll();

    // Milliseconds until the first timer is due: 0 when one is due now, -1
    // when no timer runs.
    int MsUntilNext() const;
    // Takes the timer that was due first off the table and gives its id;
    // false when none is due yet.
    bool TakeDue(int* id);

  private:
    // Due times on the tick count, which wraps at 2^32 ms.
    std::map<int, uint32_t> due_;
};
