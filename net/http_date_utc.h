// HTTP dates read as the true moment they name, for comparing clocks.
#pragma once

#include <cstdint>

// Reads an HTTP date in any of its three forms ("Sun, 06 Nov 1994 08:49:37
// GMT", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994") into
// seconds since 1970-01-01 00:00:00 UTC. The zone may be GMT, UTC, UT or a
// numeric offset such as +0900; the third form has none and means GMT. A
// two-digit year below 70 is in the 2000s. False, with utc unchanged, for
// anything else, for a field out of its range and for a year outside
// 1970-9999.
bool HttpDateToUtc(const char* httpDate, int64_t* utc);
