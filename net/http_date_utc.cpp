#include "net/http_date_utc.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};

struct DateFields {
    long long year = 0;
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int offsetSeconds = 0;  // east of GMT
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Words separated by blanks, commas and hyphens; a hyphen that starts a
// numeric zone ("-0500") stays with it.
std::vector<std::string> Words(const char* text) {
    std::vector<std::string> words;
    std::string word;
    for (const char* p = text; *p; ++p) {
        bool zoneSign = *p == '-' && word.empty() && std::isdigit(static_cast<unsigned char>(p[1]));
        if ((*p == ' ' || *p == '\t' || *p == ',' || *p == '-') && !zoneSign) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += *p;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool Digits(const std::string& text, size_t minLength, size_t maxLength, long long* value) {
    if (text.size() < minLength || text.size() > maxLength) return false;
    long long result = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

bool IsWeekday(const std::string& word) {
    static const char* const kDays[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    std::string lower = Lower(word);
    for (const char* day : kDays) {
        if (lower.compare(0, 3, day) == 0) return true;
    }
    return false;
}

bool ReadMonth(const std::string& word, int* month) {
    std::string lower = Lower(word);
    for (int i = 0; i < 12; ++i) {
        if (lower == kMonths[i]) {
            *month = i + 1;
            return true;
        }
    }
    return false;
}

bool ReadNumber(const std::string& word, size_t maxLength, long long low, long long high,
                int* value) {
    long long number;
    if (!Digits(word, 1, maxLength, &number) || number < low || number > high) return false;
    *value = static_cast<int>(number);
    return true;
}

bool ReadYear(const std::string& word, long long* year) {
    if (word.size() == 2 && Digits(word, 2, 2, year)) {
        *year += *year < 70 ? 2000 : 1900;
        return true;
    }
    return Digits(word, 4, 4, year) && *year >= 1970;
}

// "08:49:37"; a second of 60 is a leap second.
bool ReadTime(const std::string& word, DateFields* date) {
    if (word.size() != 8 || word[2] != ':' || word[5] != ':') return false;
    return ReadNumber(word.substr(0, 2), 2, 0, 23, &date->hour) &&
           ReadNumber(word.substr(3, 2), 2, 0, 59, &date->minute) &&
           ReadNumber(word.substr(6, 2), 2, 0, 60, &date->second);
}

bool ReadZone(const std::string& word, DateFields* date) {
    std::string lower = Lower(word);
    if (lower == "gmt" || lower == "utc" || lower == "ut" || lower == "z") return true;
    int hours, minutes;
    if (word.size() != 5 || (word[0] != '+' && word[0] != '-') ||
        !ReadNumber(word.substr(1, 2), 2, 0, 23, &hours) ||
        !ReadNumber(word.substr(3, 2), 2, 0, 59, &minutes)) {
        return false;
    }
    date->offsetSeconds = (word[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    return true;
}

// day month year time zone (the first two forms).
bool ReadDayFirst(const std::vector<std::string>& words, DateFields* date) {
    return words.size() == 5 && ReadNumber(words[0], 2, 1, 31, &date->day) &&
           ReadMonth(words[1], &date->month) && ReadYear(words[2], &date->year) &&
           ReadTime(words[3], date) && ReadZone(words[4], date);
}

// month day time year (the third form).
bool ReadMonthFirst(const std::vector<std::string>& words, DateFields* date) {
    return words.size() == 4 && ReadMonth(words[0], &date->month) &&
           ReadNumber(words[1], 2, 1, 31, &date->day) && ReadTime(words[2], date) &&
           ReadYear(words[3], &date->year);
}

bool IsLeapYear(long long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(long long year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a Gregorian date from 1970 on.
long long DaysSince1970(long long year, int month, int day) {
    long long y = year - (month <= 2 ? 1 : 0);
    long long era = y / 400;
    long long yearOfEra = y - era * 400;
    long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

bool HttpDateToUtc(const char* httpDate, int64_t* utc) {
    if (!httpDate) return false;
    std::vector<std::string> words = Words(httpDate);
    if (!words.empty() && IsWeekday(words[0])) words.erase(words.begin());
    DateFields date;
    bool read = !words.empty() && std::isdigit(static_cast<unsigned char>(words[0][0]))
                    ? ReadDayFirst(words, &date)
                    : ReadMonthFirst(words, &date);
    if (!read || date.year > 9999 || date.day > DaysInMonth(date.year, date.month)) return false;
    *utc = DaysSince1970(date.year, date.month, date.day) * 86400 + date.hour * 3600LL +
           date.minute * 60LL + date.second - date.offsetSeconds;
    return true;
}
