#include <gtest/gtest.h>

#include <cmath>

#include "platform/dispatch/Time.h"

using namespace dispatch;

TEST(MediaTime, SecondsConvertToWholeNanosecondsByRounding) {
    // 0.08 is not exact in binary; truncation would give 79'999'999.
    EXPECT_EQ(nanosFromSeconds(0.08), 80'000'000);
    EXPECT_EQ(nanosFromSeconds(1.0 / 30.0), 33'333'333);
    EXPECT_EQ(nanosFromSeconds(-0.25), -250'000'000);
    EXPECT_EQ(nanosFromSeconds(std::nan("")), 0);
    EXPECT_EQ(nanosFromSeconds(1e300), kNever);
    EXPECT_DOUBLE_EQ(secondsFromNanos(1'500'000'000), 1.5);
}

TEST(MediaTime, ManualClockStandsStillMovesOnlyForwardAndHandsBackRealTime) {
    const Nanos realBefore = nowNanos();
    {
        ManualClock clock(1000.0);
        EXPECT_EQ(nowNanos(), 1000 * kNanosPerSecond);
        EXPECT_EQ(nowNanos(), 1000 * kNanosPerSecond);  // does not tick by itself

        clock.advance(0.5);
        EXPECT_DOUBLE_EQ(now(), 1000.5);
        clock.advanceNanos(1);
        EXPECT_EQ(clock.nanos(), 1000 * kNanosPerSecond + 500'000'001);

        clock.set(999.0);  // backwards: ignored
        clock.advanceNanos(-5);
        EXPECT_EQ(clock.nanos(), 1000 * kNanosPerSecond + 500'000'001);
    }
    EXPECT_GE(nowNanos(), realBefore);
}
