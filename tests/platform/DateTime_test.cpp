#include "platform/DateTime.h"
#include "platform/virtual/VirtualClock.h"

#include <gtest/gtest.h>

using namespace veltrona;

TEST(DateTime, CalendarArithmetic) {
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(dayOfWeek(2011, 8, 9), 2); // a Tuesday
    EXPECT_EQ(daysInMonth(2012, 2), 29);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    const DateTime d = addDays(DateTime{2011, 12, 31, 23, 59, 0, 0}, 1);
    EXPECT_EQ(d, (DateTime{2012, 1, 1, 23, 59, 0, 0}));
}

TEST(VirtualClock, MovesOnlyWhenAdvanced) {
    VirtualClock clock(DateTime{2011, 8, 9, 23, 59, 59, 500}, 0);
    EXPECT_EQ(clock.tickMs(), 0u);
    clock.advance(600);
    EXPECT_EQ(clock.tickMs(), 600u);
    EXPECT_EQ(clock.now(), (DateTime{2011, 8, 10, 0, 0, 0, 100}));
    clock.sleepMs(1000);
    EXPECT_EQ(clock.now().second, 1);
}
