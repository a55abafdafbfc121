// What the network time functions share: setting the clock and saying on
// standard error when that failed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

// Sets the system clock to time. When the system refuses (no right to set the
// clock), nothing changes and one line on standard error says so and why.
void ChangeClock(const platform::WallTime& time);

// Writes CP932 text to standard error as UTF-8, the terminal's encoding.
void WriteError(const std::string& cp932);

// A difference cut to the range of a 32-bit result.
int32_t ClampDifference(int64_t difference);
