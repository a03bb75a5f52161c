// Frustum planes from projection x view, and the bounding-sphere test that
// culls scene objects.

#include "scene/Frustum.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {

constexpr float kEps = 1e-5f;

void expectPlane(const glm::vec4& actual, const glm::vec4& expected) {
    EXPECT_NEAR(actual.x, expected.x, kEps);
    EXPECT_NEAR(actual.y, expected.y, kEps);
    EXPECT_NEAR(actual.z, expected.z, kEps);
    EXPECT_NEAR(actual.w, expected.w, 1e-4f);
}

} // namespace

TEST(Frustum, PlanesOfAnOrthographicBoxAreItsSixFacesInOrder) {
    // Box x in [-2, 4], y in [-1, 3], z in [-10, -1] in front of an identity view.
    const glm::mat4 m = glm::ortho(-2.0f, 4.0f, -1.0f, 3.0f, 1.0f, 10.0f);
    const Frustum f = Frustum::fromViewProjection(m);
    EXPECT_TRUE(f.enabled);
    expectPlane(f.planes[0], {-1, 0, 0, 4});  // right: x <= 4
    expectPlane(f.planes[1], {1, 0, 0, 2});   // left: x >= -2
    expectPlane(f.planes[2], {0, 1, 0, 1});   // bottom: y >= -1
    expectPlane(f.planes[3], {0, -1, 0, 3});  // top: y <= 3
    expectPlane(f.planes[4], {0, 0, 1, 10});  // far: z >= -10
    expectPlane(f.planes[5], {0, 0, -1, -1}); // near: z <= -1
}

TEST(Frustum, PerspectivePlanesAreNormalisedAndFollowTheView) {
    const glm::mat4 projection = glm::perspective(glm::radians(90.0f), 1.0f, 0.5f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(10, 0, 0), glm::vec3(10, 0, -1), glm::vec3(0, 1, 0));
    const Frustum f = Frustum::fromViewProjection(projection * view);
    for (const glm::vec4& p : f.planes)
        EXPECT_NEAR(glm::length(glm::vec3(p)), 1.0f, kEps);
    // 90 degrees: the right plane leans 45 degrees, passing through the eye.
    expectPlane(f.planes[0], {-std::sqrt(0.5f), 0, -std::sqrt(0.5f), 10 * std::sqrt(0.5f)});
    expectPlane(f.planes[5], {0, 0, -1, -0.5f});
}

TEST(Frustum, SpheresInFrontBehindAndStraddling) {
    const glm::mat4 projection = glm::perspective(45.0f, 16.0f / 9.0f, 0.1f, 1000.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 2, 5), glm::vec3(0, 2, 4), glm::vec3(0, 1, 0));
    const Frustum f = Frustum::fromViewProjection(projection * view);
    EXPECT_TRUE(f.isSphereVisible({0, 2, -20}, 1.0f));     // straight ahead
    EXPECT_FALSE(f.isSphereVisible({0, 2, 30}, 1.0f));     // behind the eye
    EXPECT_TRUE(f.isSphereVisible({0, 2, 5}, 3.0f));       // around the eye, across the near plane
    EXPECT_FALSE(f.isSphereVisible({0, 2, -2000}, 10.0f)); // beyond the far plane
    EXPECT_TRUE(f.isSphereVisible({0, 2, -1000}, 10.0f));  // straddling the far plane
}

TEST(Frustum, TouchingAPlaneFromOutsideIsCulledJustInsideIsKept) {
    Frustum f;
    f.enabled = true;
    // Five planes that accept everything, and x >= 0.
    for (auto& p : f.planes)
        p = {0, 0, 0, 1000};
    f.planes[3] = {1, 0, 0, 0};
    const float r = 2.0f;
    EXPECT_FALSE(f.isSphereVisible({-r, 0, 0}, r));
    EXPECT_TRUE(f.isSphereVisible({-r + 1e-4f, 0, 0}, r));
    EXPECT_TRUE(f.isSphereVisible({-r + 1e-4f, 5, 7}, r));
}

TEST(Frustum, DisabledAcceptsEverything) {
    Frustum f = Frustum::fromViewProjection(glm::ortho(-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 2.0f));
    EXPECT_FALSE(f.isSphereVisible({100, 100, 100}, 1.0f));
    f.enabled = false;
    EXPECT_TRUE(f.isSphereVisible({100, 100, 100}, 1.0f));
    EXPECT_TRUE(Frustum::disabled().isSphereVisible({-1e6f, 0, 0}, 0.0f));
}
