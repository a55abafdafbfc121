#include "net/http_date_utc.h"

#include <gtest/gtest.h>

namespace {

// 1994-11-06 08:49:37 UTC.
constexpr int64_t kExample = 784111777;

TEST(HttpDateUtcTest, ReadsTheThreeFormsAsTheMomentTheyName) {
    struct Case {
        const char* text;
        int64_t utc;
    };
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", kExample},
        {"Sunday, 06-Nov-94 08:49:37 GMT", kExample},
        {"Sun Nov  6 08:49:37 1994", kExample},
        {"sun, 06 nov 1994 08:49:37 gmt", kExample},
        {"06 Nov 1994 08:49:37 UTC", kExample},
        {"Sun, 06 Nov 1994 17:49:37 +0900", kExample},
        {"Sat, 05 Nov 1994 23:19:37 -0930", kExample},
        {"Thu, 01 Jan 1970 00:00:00 GMT", 0},
        {"Tue, 29 Feb 2028 12:00:00 GMT", 1835438400},
        {"Wed, 31 Dec 2036 23:59:60 GMT", 2114380800},
        {"Monday, 01-Jan-35 00:00:00 GMT", 2051222400},
    };
    for (const Case& c : cases) {
        int64_t utc = -1;
        EXPECT_TRUE(HttpDateToUtc(c.text, &utc)) << c.text;
        EXPECT_EQ(utc, c.utc) << c.text;
    }
}

TEST(HttpDateUtcTest, RefusesWhatIsNoDateOrOutOfRange) {
    const char* const texts[] = {
        "",
        "yesterday",
        "Sun, 06 Nov 1994 08:49:37",      // no zone
        "Sun, 06 Nov 1994 08:49:37 JST",  // a zone by name
        "Sun, 06 Nov 1994 08:49 GMT",
        "Sun, 06 Nov 1994 24:00:00 GMT",
        "Sun, 06 Nov 1994 08:60:00 GMT",
        "Sun, 31 Nov 1994 08:49:37 GMT",
        "Sun, 29 Feb 2027 08:49:37 GMT",
        "Sun, 00 Nov 1994 08:49:37 GMT",
        "Sun, 06 Foo 1994 08:49:37 GMT",
        "Sun, 06 Nov 1969 08:49:37 GMT",
        "Sun, 06 Nov 10000 08:49:37 GMT",
        "Sun, 06 Nov 99999999999999999999 08:49:37 GMT",
        "Sun, 06 Nov 1994 08:49:37 GMT extra",
        "Sun, 06 Nov 1994 08:49:37 +2400",
        "Sun Nov  6 08:49:37",
    };
    for (const char* text : texts) {
        int64_t utc = 42;
        EXPECT_FALSE(HttpDateToUtc(text, &utc)) << text;
        EXPECT_EQ(utc, 42) << text;
    }
    int64_t utc = 42;
    EXPECT_FALSE(HttpDateToUtc(nullptr, &utc));
}

}  // namespace
