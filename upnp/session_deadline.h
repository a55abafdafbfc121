// The wall-clock cap of one session start or device search. However many
// interfaces the searches go out on and however many devices answer, the whole
// call ends within the cap: every wait for a device inside it is cut to the
// time that is left.
#pragma once

// Starts the cap, ms from now. Owned by session_deadline.cpp.
void StartSessionDeadline(int ms);
// No cap any more: waits keep their own limits.
void EndSessionDeadline();
// True while a cap runs and has passed.
bool SessionDeadlinePassed();
// limitMs, or the time left before the cap when that is shorter; 0 once the
// cap has passed.
int SessionTimeLeft(int limitMs);

void ResetSessionDeadlineForTests();
