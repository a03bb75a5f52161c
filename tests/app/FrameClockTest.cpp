// The frame time after the loop waited hidden or stalled, and on a machine
// that is simply slow.

#include "app/FrameClock.h"

#include <gtest/gtest.h>

TEST(FrameClock, TimeSpentHiddenOrStalledIsNotCounted) {
    FrameClock clock(10.0);
    EXPECT_NEAR(clock.tick(10.02), 0.02, 1e-9);
    EXPECT_NEAR(clock.tick(10.05), 0.03, 1e-9);
    // Hidden from 10.05 to 40: the first frame after takes the last one's time.
    clock.pause(40.0);
    EXPECT_NEAR(clock.tick(40.001), 0.03, 1e-9);
    EXPECT_NEAR(clock.tick(40.021), 0.02, 1e-9);
    // Thirty seconds in a debugger between two frames.
    EXPECT_NEAR(clock.tick(70.0), 0.02, 1e-9);
    EXPECT_NEAR(clock.tick(70.03), 0.03, 1e-9);
}

TEST(FrameClock, SlowFramesKeepTheirRealTimes) {
    // A software renderer under load: every frame takes one to three
    // seconds. The first tick comes right after start-up and spans no frame.
    FrameClock clock(0.0);
    EXPECT_NEAR(clock.tick(0.001), 0.001, 1e-9);
    EXPECT_NEAR(clock.tick(1.5), 1.499, 1e-9);
    EXPECT_NEAR(clock.tick(4.0), 2.5, 1e-9);
    EXPECT_NEAR(clock.tick(5.2), 1.2, 1e-9);
    EXPECT_NEAR(clock.tick(8.2), 3.0, 1e-9);
    // Hidden, then slow again: the frame after the wait spans no frame either.
    clock.pause(100.0);
    EXPECT_NEAR(clock.tick(100.001), 3.0, 1e-9);
    EXPECT_NEAR(clock.tick(101.501), 1.5, 1e-9);
}
