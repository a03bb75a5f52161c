#include "app/FrameTitle.h"

#include <gtest/gtest.h>

TEST(FrameTitle, ShowsRateTimeAndPositionWithTwoDecimals) {
    EXPECT_EQ(frameTitle(0.016667, {1.0f, 2.5f, -3.0f}),
              "Thalvek, FPS: 59, Frametime: 16.67 ms, Position = (1.00, 2.50, -3.00)\n");
}

TEST(FrameTitle, RateIsTruncatedNotRounded) {
    EXPECT_EQ(frameTitle(0.0101, {0.0f, 0.0f, 0.0f}).substr(0, 17), "Thalvek, FPS: 99,");
    EXPECT_EQ(frameTitle(0.5, {}).substr(0, 16), "Thalvek, FPS: 2,");
    EXPECT_EQ(frameTitle(2.5, {}).substr(0, 16), "Thalvek, FPS: 0,");
}

TEST(FrameTitle, EndsWithNewline) {
    const std::string title = frameTitle(0.1, {10.0f, -20.0f, 30.0f});
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title.back(), '\n');
    EXPECT_EQ(title.find('\n'), title.size() - 1);
}

TEST(FrameTitle, ZeroOrTinyFrameTimeShowsNoInfinity) {
    const std::string zero = frameTitle(0.0, {});
    EXPECT_EQ(zero, "Thalvek, FPS: 0, Frametime: 0.00 ms, Position = (0.00, 0.00, 0.00)\n");
    const std::string tiny = frameTitle(1e-300, {});
    EXPECT_EQ(tiny.find("inf"), std::string::npos);
    EXPECT_NE(tiny.find("FPS: 2147483647,"), std::string::npos);
    EXPECT_EQ(frameTitle(-0.001, {}).find("FPS: 0,"), 9u);
}
