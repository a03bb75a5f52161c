// The held light keys act per frame on the Level's lights: the last one
// moves 0.1 a frame, F4/F5 change the second and third intensities by 10 a
// frame without limit; with fewer than three lights they do nothing.

#include "app/CameraInput.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "render/Level.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "support/DemoHarness.h"
#include "support/GLTestContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <set>

using testing_support::GLTestContext;
using testing_support::ScriptedInput;

namespace {

class LightKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        clearKeyTables();
        lit_ = std::make_unique<ShaderProgram>("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
        level_ = std::make_unique<Level>(glm::mat4(1.0f), lit_.get(), Level::ObjectList{}, Level::ObjectList{},
                                         Level::ObjectList{}, Level::ObjectList{}, std::vector<PointLight*>{},
                                         std::vector<Material*>{}, nullptr);
        auto keys = std::make_unique<ScriptedInput>();
        held_ = keys.get();
        controller_ = std::make_unique<InputController>(nullptr, nullptr, level_.get(), std::move(keys));
    }

    void addFourLights() {
        level_->addLight(&fire_);
        level_->addLight(&sky_);
        level_->addLight(&rear_);
        level_->addLight(&front_);
    }

    GLTestContext context_{32, 32};
    std::unique_ptr<ShaderProgram> lit_;
    std::unique_ptr<Level> level_;
    ScriptedInput* held_ = nullptr;
    std::unique_ptr<InputController> controller_;
    PointLight fire_{{0, 7, 31}, {0.75f, 0.15f, 0}, 10.0f}, sky_{{0, 80, 0}, {1, 1, 1}, 1000.0f},
        rear_{{0, 0, -80}, {1, 1, 1}, 100.0f}, front_{{0, 4, 70}, {1, 1, 1}, 50.0f};
};

} // namespace

TEST_F(LightKeys, TheLastLightMovesATenthPerFrameWhileAKeyIsHeld) {
    addFourLights();
    EXPECT_EQ(level_->shadowsEnabled, 1) << "the controller switches the Level's shadows on";
    held_->keysDown = {GLFW_KEY_U};
    for (int i = 0; i < 60; ++i)
        controller_->handleKeys();
    EXPECT_NEAR(front_.position.z, 76.0f, 1e-3f) << "60 frames move 6 units, whatever the frame time";
    held_->keysDown = {GLFW_KEY_J, GLFW_KEY_H, GLFW_KEY_O};
    for (int i = 0; i < 10; ++i)
        controller_->handleKeys();
    EXPECT_NEAR(front_.position.z, 75.0f, 1e-3f);
    EXPECT_NEAR(front_.position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(front_.position.y, 5.0f, 1e-5f);
    held_->keysDown = {GLFW_KEY_K, GLFW_KEY_L};
    controller_->handleKeys();
    EXPECT_NEAR(front_.position.x, 0.9f, 1e-5f);
    EXPECT_NEAR(front_.position.y, 4.9f, 1e-5f);
    EXPECT_EQ(fire_.position, glm::vec3(0, 7, 31)) << "only the last light moves";
}

TEST_F(LightKeys, F4CanDriveTheMoonlightIntensitiesNegative) {
    addFourLights();
    held_->keysDown = {GLFW_KEY_F4};
    for (int i = 0; i < 11; ++i)
        controller_->handleKeys();
    EXPECT_FLOAT_EQ(sky_.intensity, 890.0f);
    EXPECT_FLOAT_EQ(rear_.intensity, -10.0f);
    EXPECT_FLOAT_EQ(fire_.intensity, 10.0f);
    EXPECT_FLOAT_EQ(front_.intensity, 50.0f);
    held_->keysDown = {GLFW_KEY_F5};
    controller_->handleKeys();
    EXPECT_FLOAT_EQ(rear_.intensity, 0.0f);
}

TEST_F(LightKeys, WithFewerThanThreeLightsTheLightKeysDoNothing) {
    level_->addLight(&fire_);
    level_->addLight(&sky_);
    held_->keysDown = {GLFW_KEY_U, GLFW_KEY_F4, GLFW_KEY_F5, GLFW_KEY_O};
    controller_->handleKeys();
    EXPECT_EQ(sky_.position, glm::vec3(0, 80, 0));
    EXPECT_EQ(sky_.intensity, 1000.0f);
}
