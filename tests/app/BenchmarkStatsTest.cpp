// The benchmark's figures on frame times whose answers are known.

#include "app/BenchmarkStats.h"

#include <gtest/gtest.h>

TEST(BenchmarkStats, AnEvenSplitOfTwoFrameTimes) {
    std::vector<double> frames(50, 0.010);
    frames.insert(frames.end(), 50, 0.030);
    const FrameTimeStats stats = frameTimeStats(frames);
    EXPECT_EQ(stats.frames, 100u);
    EXPECT_NEAR(stats.seconds, 2.0, 1e-9);
    EXPECT_NEAR(stats.averageFps, 50.0, 1e-9);
    // The slowest 1 % of 100 frames is one 30 ms frame.
    EXPECT_NEAR(stats.onePercentLowFps, 1.0 / 0.030, 1e-9);
    EXPECT_NEAR(stats.percentile99Ms, 30.0, 1e-9);
    EXPECT_NEAR(stats.shortestMs, 10.0, 1e-9);
    EXPECT_NEAR(stats.longestMs, 30.0, 1e-9);
}

TEST(BenchmarkStats, OneLongFrame) {
    std::vector<double> frames(99, 0.010);
    frames.insert(frames.begin() + 40, 0.100);
    FrameTimeStats stats = frameTimeStats(frames);
    EXPECT_NEAR(stats.averageFps, 100.0 / 1.09, 1e-9);
    EXPECT_NEAR(stats.onePercentLowFps, 10.0, 1e-9);
    // Nearest rank: the 99th of 100 sorted frame times, not the long one.
    EXPECT_NEAR(stats.percentile99Ms, 10.0, 1e-9);
    EXPECT_NEAR(stats.longestMs, 100.0, 1e-9);
    EXPECT_NEAR(stats.shortestMs, 10.0, 1e-9);

    // Of 200 frames the slowest 1 % is two: the long one and a short one.
    frames.insert(frames.end(), 100, 0.010);
    stats = frameTimeStats(frames);
    EXPECT_NEAR(stats.onePercentLowFps, 2.0 / 0.110, 1e-9);
    EXPECT_NEAR(stats.percentile99Ms, 10.0, 1e-9);
}

TEST(BenchmarkStats, ASingleFrame) {
    const FrameTimeStats stats = frameTimeStats({0.040});
    EXPECT_EQ(stats.frames, 1u);
    EXPECT_NEAR(stats.averageFps, 25.0, 1e-9);
    EXPECT_NEAR(stats.onePercentLowFps, 25.0, 1e-9);
    EXPECT_NEAR(stats.percentile99Ms, 40.0, 1e-9);
    EXPECT_NEAR(stats.shortestMs, 40.0, 1e-9);
    EXPECT_NEAR(stats.longestMs, 40.0, 1e-9);
}
