#include "common/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace korvela {
namespace {

TEST(LocalTime, ReadsOnlyTheFullDateAndTime) {
    EXPECT_EQ(parseLocalTime("2011-01-01 09:05:07"), (LocalTime{2011, 1, 1, 9, 5, 7}));
    EXPECT_EQ(parseLocalTime("1999-12-31 23:59:59"), (LocalTime{1999, 12, 31, 23, 59, 59}));
    for (const char* text :
         {"", "2011-01-01", "2011-01-01 9:05:07", "2011-01-01T09:05:07", "2011-13-01 09:05:07",
          "2011-01-00 09:05:07", "2011-01-01 24:00:00", "2011-01-01 09:60:00",
          "2011-01-01 09:05:07 ", "20x1-01-01 09:05:07", "2011-01-01 +9:05:07"}) {
        EXPECT_EQ(parseLocalTime(text), std::nullopt) << text;
    }
}

TEST(LocalTime, KorvelaNowStandsForTheCurrentTime) {
    ::setenv("KORVELA_NOW", "2011-01-01 00:00:00", 1);
    EXPECT_EQ(currentLocalTime(), (LocalTime{2011, 1, 1, 0, 0, 0}));
    ::setenv("KORVELA_NOW", "not a time", 1);
    const LocalTime real = currentLocalTime();
    ::unsetenv("KORVELA_NOW");
    EXPECT_GE(real.year, 2024);
    EXPECT_GE(real.month, 1);
    EXPECT_LE(real.month, 12);
}

}  // namespace
}  // namespace korvela
