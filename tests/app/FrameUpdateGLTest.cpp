// The frame update on the assembled scene, with scripted keys and cursor:
// R resets only the selected camera, and while the tour runs neither keys
// nor the mouse fly any camera.

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraSet.h"
#include "app/FrameUpdate.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "support/DemoHarness.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class FrameUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(demo_.ok());
        ASSERT_GE(cameras->count, 2) << "the generated scene has five cameras";
    }

    void tapKey(int key) {
        recordKeyEvent(key, GLFW_PRESS);
        updateFrame(kDt);
        recordKeyEvent(key, GLFW_RELEASE);
    }

    static bool atStart(const Camera& camera) {
        return camera.position == camera.initialPosition && camera.direction == camera.initialDirection &&
               camera.up == camera.initialUp;
    }

    static constexpr double kDt = 1.0 / 30.0;
    DemoHarness demo_{32, 18};
};

} // namespace

TEST_F(FrameUpdate, RResetsOnlyTheSelectedCamera) {
    demo_.input().keysDown = {GLFW_KEY_W};
    for (int index : {0, 2}) {
        cameras->index = index;
        for (int i = 0; i < 3; ++i)
            updateFrame(kDt);
    }
    demo_.input().keysDown.clear();
    ASSERT_FALSE(atStart(*cameras->camera(0)));
    ASSERT_FALSE(atStart(*cameras->camera(2)));

    tapKey(GLFW_KEY_R);
    updateFrame(kDt);
    EXPECT_TRUE(atStart(*cameras->camera(2)));
    EXPECT_EQ(cameras->camera(2)->viewMatrix, cameras->camera(2)->initialViewMatrix);
    EXPECT_FALSE(atStart(*cameras->camera(0))) << "another camera was reset too";
}

TEST_F(FrameUpdate, DuringTheTourKeysAndMouseFlyNothing) {
    tapKey(GLFW_KEY_ENTER);
    ASSERT_EQ(inputController->tour, 1);
    // W held and the mouse moved every frame, as a user might do.
    demo_.input().keysDown = {GLFW_KEY_W, GLFW_KEY_A};
    for (int i = 0; i < 20; ++i) {
        demo_.input().cursor += glm::dvec2(7.0, -5.0);
        updateFrame(kDt);
    }
    // The opening dolly only: camera 0 on its line at ten direction lengths
    // per second of tour, still looking the way it started.
    const Camera& opening = *cameras->camera(0);
    EXPECT_EQ(cameras->index, 0);
    EXPECT_EQ(opening.direction, opening.initialDirection);
    EXPECT_EQ(opening.up, opening.initialUp);
    const glm::vec3 travelled = opening.position - opening.initialPosition;
    const float expected = 10.0f * static_cast<float>(cameras->tourTime) * glm::length(opening.direction);
    EXPECT_NEAR(glm::length(travelled), expected, 1e-3f * expected);
    EXPECT_NEAR(glm::dot(glm::normalize(travelled), glm::normalize(opening.direction)), 1.0f, 1e-5f);
    for (int k = 1; k <= cameras->count; ++k)
        EXPECT_TRUE(atStart(*cameras->camera(k))) << "camera " << k;
}
