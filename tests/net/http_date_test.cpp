#include "net/http_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Japan time (UTC+9, no summer time), written so no zone database is needed.
class HttpDateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (old) oldZone_ = old;
        setenv("TZ", "JST-9", 1);
        tzset();
    }
    void TearDown() override {
        if (hadZone_) {
            setenv("TZ", oldZone_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    bool hadZone_ = false;
    std::string oldZone_;
};

// 2026-12-05 02:30:00 UTC.
constexpr time_t kDecemberFifth = 1796437800;

TEST_F(HttpDateTest, ParseHttpDateAddsNineHoursToGmtAndClampsOddFields) {
    const std::pair<const char*, const char*> cases[] = {
        {"Thu, 05 Dec 2026 02:30:00 GMT", "2026/12/05 11:30:00"},
        {"Thu, 05 dec 2026 20:30:00 GMT", "2026/12/06 05:30:00"},
        {"Thursday, 31-Dec-26 16:00:00 GMT", "2001/01/01 01:00:00"},  // two-digit year
        {"05 Dec 2026 02:30:00 GMT", "2026/12/05 11:30:00"},          // no weekday
        {"05 12 2026 02:30:00 +0900", "2026/12/05 02:30:00"},         // numeric month, no GMT
        {"Sat, 01 Jan 1969 00:00:00 GMT", "2000/01/01 09:00:00"},
        {"Sat, 40 Foo 2037 00:00:00 GMT", "2000/01/01 09:00:00"},
        {"Mon,\t07 Feb 2022 23:59:59 GMT", "2022/02/08 08:59:59"},
        {"", "2000/01/01 00:00:00"},
        // Fields far out of range, as any server may send them.
        {"1 1 1 2562047788015216", "2000/01/01 00:00:00"},
        {"Thu, 05 Dec 2026 99999999999999999999:-5:61 GMT", "2026/12/05 09:05:00"},
        {"Thu, 9223372036854775808 Dec 99999999999 24:60:00 GMT", "2000/12/01 09:00:00"},
        {"-9223372036854775809 1 2026 01:02:03", "2026/01/01 01:02:03"},
    };
    for (const auto& [http, local] : cases) {
        SCOPED_TRACE(http);
        EXPECT_EQ(ParseHttpDate(http), local);
    }
}

TEST_F(HttpDateTest, FormatHttpDateWritesGmtWithEnglishNames) {
    EXPECT_EQ(FormatHttpDate("2026/12/05 11:30:00"), "Sat, 05 Dec 2026 02:30:00 GMT");
    EXPECT_EQ(FormatHttpDate("2026/01/01 08:00:00"), "Wed, 31 Dec 2025 23:00:00 GMT");
    EXPECT_EQ(FormatHttpDate("not a date"), "");
}

TEST_F(HttpDateTest, DateTextToFileTimeReadsBothForms) {
    EXPECT_EQ(DateTextToFileTime("2026/12/05 11:30:00"), kDecemberFifth);
    EXPECT_EQ(DateTextToFileTime("Thu, 05 Dec 2026 02:30:00 GMT"), kDecemberFifth);
    EXPECT_EQ(DateTextToFileTime(FormatHttpDate("2026/12/05 11:30:00").c_str()), kDecemberFifth);
    EXPECT_EQ(FileTimeToDateText(kDecemberFifth), "2026/12/05 11:30:00");
    EXPECT_EQ(DateTextToFileTime(nullptr), 0);
}

TEST_F(HttpDateTest, OutOfRangeFieldsNeverReachTheArithmetic) {
    EXPECT_EQ(DateTextToFileTime("Last-Modified:1 1 1 2562047788015216"),
              DateTextToFileTime("2000/01/01 01:00:00"));
    for (const char* local :
         {"2026/13/05 11:30:00", "2026/12/05 24:00:00", "2026/12/05 11:30:99999999999999999999",
          "2026/12/-2147483648 1:2:3"}) {
        SCOPED_TRACE(local);
        EXPECT_EQ(DateTextToFileTime(local), 0);
        EXPECT_EQ(FormatHttpDate(local), "");
    }
    EXPECT_NE(DateTextToFileTime("9999/12/31 23:59:60"), 0);
    EXPECT_FALSE(FileTimeToDateText(static_cast<time_t>(1) << 62).empty());
}

}  // namespace
