// HTTP dates ("Thu, 05 Dec 2026 02:30:00 GMT") and the program's local date
// text ("2026/12/05 11:30:00").
#pragma once

#include <ctime>
#include <string>

// Local date text "%Y/%m/%d %H:%M:%S" to an HTTP date in GMT with English
// weekday and month names; "" when the text holds no date.
std::string FormatHttpDate(const char* localText);

// HTTP date to local date text. A "GMT" zone adds a fixed nine hours (Japan);
// the system's time zone is not consulted. Out-of-range years become 2000,
// months and days 1, hours, minutes and seconds 0.
std::string ParseHttpDate(const char* httpDate);

// Either form to a UTC file time: text starting with a year 1900-9999 is local
// date text, anything else goes through ParseHttpDate first. 0 when unreadable
// or when a field of the local date text is out of its range.
time_t DateTextToFileTime(const char* text);

// UTC file time to local date text.
std::string FileTimeToDateText(time_t utc);
