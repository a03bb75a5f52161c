// The screen rectangle of a box: its corners' projections while it is all in
// front, the near-plane crossing when it reaches behind the eye, nothing when
// it is all behind; and the zoom that stretches a rectangle over the screen.

#include "render/ScreenFootprint.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

// Eye at the origin looking down -z, 90 degrees, square: a point (x, y, -d)
// lands at (x / d, y / d).
const glm::mat4 kProjection = glm::perspective(glm::radians(90.0f), 1.0f, 0.5f, 100.0f);

void expectRect(const rtr::ScreenRect& r, glm::vec2 lower, glm::vec2 upper) {
    EXPECT_NEAR(r.lower.x, lower.x, 1e-5f);
    EXPECT_NEAR(r.lower.y, lower.y, 1e-5f);
    EXPECT_NEAR(r.upper.x, upper.x, 1e-5f);
    EXPECT_NEAR(r.upper.y, upper.y, 1e-5f);
}

} // namespace

TEST(ScreenFootprint, BoundsTheBoxInFrontAndItsNearPlaneCrossing) {
    // A flat box 2 below the eye, from 4 to 8 ahead: its near edge is the
    // lowest on screen.
    expectRect(rtr::screenFootprint(kProjection, {-2, -2, -8}, {1, -2, -4}), {-0.5f, -0.5f}, {0.25f, -0.25f});

    // The same floor reaching 10 behind the eye: cut at the near plane
    // (0.5 ahead), where it spans x -2..1 at depth 0.5.
    expectRect(rtr::screenFootprint(kProjection, {-2, -2, -8}, {1, -2, 10}), {-4.0f, -4.0f}, {2.0f, -0.25f});

    EXPECT_TRUE(rtr::screenFootprint(kProjection, {-1, -1, 1}, {1, 1, 3}).empty()) << "all behind the eye";
}

TEST(ScreenFootprint, GrowsWithinTheScreenAndZoomsTheRectOverIt) {
    const rtr::ScreenRect cut = rtr::ScreenRect{{-4.0f, -4.0f}, {2.0f, -0.25f}}.grownAndClamped(0.05f);
    expectRect(cut, {-1.0f, -1.0f}, {1.0f, -0.2f});

    const rtr::ScreenRect rect{{-0.5f, -0.5f}, {0.25f, -0.25f}};
    const glm::mat4 zoom = rtr::zoomToRect(rect);
    for (const glm::vec2& corner : {rect.lower, rect.upper, glm::vec2(rect.lower.x, rect.upper.y)}) {
        // In clip space, at any w.
        const glm::vec4 zoomed = zoom * glm::vec4(corner * 3.0f, 0.7f, 3.0f);
        EXPECT_NEAR(std::abs(zoomed.x / zoomed.w), 1.0f, 1e-5f);
        EXPECT_NEAR(std::abs(zoomed.y / zoomed.w), 1.0f, 1e-5f);
        EXPECT_FLOAT_EQ(zoomed.z, 0.7f);
    }
}
