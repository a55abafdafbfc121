#include "net/http_date.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr long long kJapanOffsetSeconds = 32400;

std::vector<std::string> Fields(const char* text, const char* delimiters) {
    std::vector<std::string> fields;
    std::string field;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (std::strchr(delimiters, *p)) {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += *p;
        }
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
}

// The number at the start of field, read like atol but without overflow:
// digits beyond the range of long long stop at its ends.
long long Number(const std::string& field) {
    return std::strtoll(field.c_str(), nullptr, 10);
}

// The number, or fallback when it lies outside low to high. Every field is
// checked before any arithmetic: the text comes from the network.
int InRange(long long number, int low, int high, int fallback) {
    return number < low || number > high ? fallback : static_cast<int>(number);
}

struct FieldRange {
    int low;
    int high;
};
// Year, month, day, hour, minute, second.
constexpr FieldRange kLocalRanges[6] = {{1900, 9999}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 60}};

// Year, month, day, hour, minute, second of a local date text; false when a
// field is missing or out of its range.
bool ReadLocalDate(const char* text, int values[6]) {
    std::vector<std::string> fields = Fields(text, "/ \t:");
    if (fields.size() < 6) return false;
    for (int i = 0; i < 6; ++i) {
        long long number = Number(fields[i]);
        if (number < kLocalRanges[i].low || number > kLocalRanges[i].high) return false;
        values[i] = static_cast<int>(number);
    }
    return true;
}

tm TmFromValues(const int values[6]) {
    tm t{};
    t.tm_year = values[0] - 1900;
    t.tm_mon = values[1] - 1;
    t.tm_mday = values[2];
    t.tm_hour = values[3];
    t.tm_min = values[4];
    t.tm_sec = values[5];
    t.tm_isdst = -1;
    return t;
}

std::string DateText(const tm& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04lld/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900LL,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

bool SameLetters(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(b[i])) return false;
    }
    return true;
}

long long MonthNumber(const std::string& field) {
    for (int i = 0; i < 12; ++i) {
        if (SameLetters(field, kMonths[i])) return i + 1;
    }
    return Number(field);
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool StartsWithYear(const char* text) {
    for (int i = 0; i < 4; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    if (text[4] >= '0' && text[4] <= '9') return false;
    int year = std::atoi(text);
    return year >= 1900 && year <= 9999;
}

}  // namespace

std::string FormatHttpDate(const char* localText) {
    int values[6];
    if (!ReadLocalDate(localText, values)) return "";
    tm local = TmFromValues(values);
    time_t utc = mktime(&local);
    tm gmt{};
    if (utc == static_cast<time_t>(-1) || !gmtime_r(&utc, &gmt)) return "";
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kWeekdays[gmt.tm_wday],
                  gmt.tm_mday, kMonths[gmt.tm_mon], gmt.tm_year + 1900, gmt.tm_hour, gmt.tm_min,
                  gmt.tm_sec);
    return text;
}

std::string ParseHttpDate(const char* httpDate) {
    std::vector<std::string> fields = Fields(httpDate, "\t:- ");
    size_t first = !fields.empty() && Number(fields[0]) > 0 ? 0 : 1;
    fields.resize(first + 7);
    int year = InRange(Number(fields[first + 2]), 1970, 2036, 2000);
    int month = InRange(MonthNumber(fields[first + 1]), 1, 12, 1);
    int day = InRange(Number(fields[first]), 1, 31, 1);
    // A time of day out of its range counts as 0.
    int hour = InRange(Number(fields[first + 3]), 0, 23, 0);
    int minute = InRange(Number(fields[first + 4]), 0, 59, 0);
    int second = InRange(Number(fields[first + 5]), 0, 60, 0);
    long long seconds =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600LL + minute * 60LL + second;
    if (fields[first + 6].compare(0, 3, "GMT") == 0) seconds += kJapanOffsetSeconds;
    time_t stamp = static_cast<time_t>(seconds);
    tm t{};
    gmtime_r(&stamp, &t);
    return DateText(t);
}

time_t DateTextToFileTime(const char* text) {
    if (!text) return 0;
    std::string local = StartsWithYear(text) ? text : ParseHttpDate(text);
    int values[6];
    if (!ReadLocalDate(local.c_str(), values)) return 0;
    tm t = TmFromValues(values);
    time_t utc = mktime(&t);
    return utc == static_cast<time_t>(-1) ? 0 : utc;
}

std::string FileTimeToDateText(time_t utc) {
    tm t{};
    localtime_r(&utc, &t);
    return DateText(t);
}
