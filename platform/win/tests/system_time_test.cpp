// The calendar time programs stamp their records with.
#include "platform/win/system_time.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

namespace {

TEST(SystemTimeTest, LocalTimeFollowsTheTimeZone) {
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    // Eight hours east of UTC, as the product's users are.
    setenv("TZ", "CST-8", 1);
    tzset();
    // Read the same clock the call reads (time() may lag it by a tick), and
    // take it again until no second turned over around the call.
    const auto seconds = [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return now.tv_sec;
    };
    SYSTEMTIME local{};
    time_t before = 0;
    for (time_t after = -1; before != after;) {
        before = seconds();
        GetLocalTime(&local);
        after = seconds();
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();

    tm utc{};
    gmtime_r(&before, &utc);
    EXPECT_EQ(local.wHour, (utc.tm_hour + 8) % 24);
    EXPECT_EQ(local.wMinute, utc.tm_min);
    EXPECT_EQ(local.wSecond, utc.tm_sec);
    EXPECT_GE(local.wYear, utc.tm_year + 1900);
    EXPECT_GE(local.wMonth, 1);
    EXPECT_LE(local.wMonth, 12);
    EXPECT_LE(local.wDayOfWeek, 6);
    EXPECT_LT(local.wMilliseconds, 1000);
}

}  // namespace
