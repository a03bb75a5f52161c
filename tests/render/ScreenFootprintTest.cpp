// The screen rectangle of a box: its corners' projections while it is all in
// front, the near-plane crossing when it reaches behind the eye, nothing when
// it is all behind; the zoom that stretches a rectangle over the screen; and
// the band around a flat outline that holds all within reach of it.

#include "render/ScreenFootprint.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

namespace {

bool insideTriangle(const glm::vec2& p, const glm::vec2& a, const glm::vec2& b, const glm::vec2& c) {
    const auto side = [&p](const glm::vec2& from, const glm::vec2& to) {
        return (to.x - from.x) * (p.y - from.y) - (to.y - from.y) * (p.x - from.x);
    };
    const float ab = side(a, b), bc = side(b, c), ca = side(c, a);
    return (ab >= -1e-6f && bc >= -1e-6f && ca >= -1e-6f) || (ab <= 1e-6f && bc <= 1e-6f && ca <= 1e-6f);
}

bool covered(const std::vector<glm::vec2>& triangles, const glm::vec2& p) {
    for (std::size_t i = 0; i + 2 < triangles.size(); i += 3)
        if (insideTriangle(p, triangles[i], triangles[i + 1], triangles[i + 2]))
            return true;
    return false;
}

} // namespace

TEST(ScreenFootprint, TheWidenedOutlineHoldsEverythingWithinReachOfTheOutlineAndOfItsCutAtTheNearPlane) {
    // A round pool of 24 edges (every direction of edge on screen) on the
    // plane y = 0, radius 3 around (0, 0, -6).
    std::vector<glm::vec3> edges;
    const auto rim = [](int k) {
        const float angle = 6.2831853f * static_cast<float>(k) / 24.0f;
        return glm::vec3(3.0f * std::cos(angle), 0.0f, -6.0f + 3.0f * std::sin(angle));
    };
    for (int k = 0; k < 24; ++k)
        edges.insert(edges.end(), {rim(k), rim(k + 1)});
    constexpr float reach = 0.05f;

    // Every point within reach (in x and y) of the rim's picture lies in the
    // band, seen from above the pool's edge (all of it in front) and from
    // just above its surface, standing in it (its cut at the near plane
    // crosses the screen).
    for (const glm::vec3& eye : {glm::vec3(0.0f, 2.0f, 0.0f), glm::vec3(0.0f, 0.3f, -5.0f)}) {
        const glm::mat4 viewProjection =
            kProjection * glm::lookAt(eye, eye + glm::vec3(0.0f, -0.25f, -1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        const std::vector<glm::vec2> band = rtr::widenedOutline(viewProjection, edges, reach);
        std::vector<glm::vec2> outline; // points along the rim in front of the eye, and the cut
        for (int k = 0; k < 24 * 16; ++k) {
            const glm::vec4 clip = viewProjection * glm::vec4(glm::mix(rim(k / 16), rim(k / 16 + 1), (k % 16) / 16.0f), 1.0f);
            if (clip.z + clip.w >= 0.0f)
                outline.push_back(glm::vec2(clip) / clip.w);
        }
        // The cut: the plane y = 0 where it meets the near plane (0.5 ahead),
        // within the pool.
        const glm::vec3 forward = glm::normalize(glm::vec3(0.0f, -0.25f, -1.0f));
        for (float x = -3.0f; x <= 3.0f; x += 0.05f) {
            // On the near plane: dot(p - eye, forward) = 0.5, p.y = 0.
            const float z = eye.z + (0.5f - (x - eye.x) * forward.x - (0.0f - eye.y) * forward.y) / forward.z;
            const glm::vec3 p(x, 0.0f, z);
            if (glm::length(glm::vec2(p.x, p.z + 6.0f)) < 3.0f) {
                const glm::vec4 clip = viewProjection * glm::vec4(p, 1.0f);
                outline.push_back(glm::vec2(clip) / clip.w);
            }
        }
        ASSERT_GT(outline.size(), 100u);
        int missed = 0;
        for (const glm::vec2& point : outline)
            for (float dx = -0.99f; dx <= 1.0f; dx += 0.33f)
                for (float dy = -0.99f; dy <= 1.0f; dy += 0.33f)
                    missed += covered(band, point + glm::vec2(dx, dy) * reach) ? 0 : 1;
        EXPECT_EQ(missed, 0) << "eye at " << eye.y << " above the water";
    }
}
