// The switch keys as a state machine driven by synthetic key events: one
// flip per press however the press falls between frames, nothing for
// auto-repeat, camera selection outside the tour, and Enter's resets.

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "support/DemoHarness.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

using testing_support::ScriptedInput;

namespace {

class Switches : public ::testing::Test {
protected:
    void SetUp() override {
        clearKeyTables();
        auto first = std::make_unique<Camera>(45.0f, 16.0f, 9.0f, glm::vec3(0, 0, -1), glm::vec3(0), glm::vec3(0, 1, 0),
                                              nullptr);
        set_ = std::make_unique<CameraSet>(std::move(first), nullptr);
        for (int i = 1; i <= 4; ++i)
            set_->add(std::make_unique<Camera>(45.0f, 16.0f, 9.0f, glm::vec3(0, 0, -1), glm::vec3(float(i), 0, 0),
                                               glm::vec3(0, 1, 0), nullptr));
        auto keys = std::make_unique<ScriptedInput>();
        held_ = keys.get();
        controller_ = std::make_unique<InputController>(nullptr, set_.get(), nullptr, std::move(keys));
    }

    void press(int key) { onKey(nullptr, key, 0, GLFW_PRESS, 0); }
    void release(int key) { onKey(nullptr, key, 0, GLFW_RELEASE, 0); }
    void repeat(int key) { onKey(nullptr, key, 0, GLFW_REPEAT, 0); }
    void frame() { controller_->handleKeys(); }
    void tap(int key) {
        press(key);
        frame();
        release(key);
        frame();
    }

    std::unique_ptr<CameraSet> set_;
    ScriptedInput* held_ = nullptr;
    std::unique_ptr<InputController> controller_;
};

} // namespace

TEST_F(Switches, StartValues) {
    EXPECT_EQ(controller_->normalMapping, 1);
    EXPECT_EQ(controller_->wireframe, 0);
    EXPECT_EQ(controller_->shadows, 1);
    EXPECT_EQ(controller_->tour, 0);
    EXPECT_EQ(controller_->bufferDebugView, 0);
    EXPECT_EQ(controller_->shadowDebugView, 0);
    EXPECT_EQ(controller_->frustumCulling, 1);
    EXPECT_EQ(controller_->overlay, 0);
    EXPECT_EQ(controller_->resetRequested, 0);
}

TEST_F(Switches, EachSwitchFlipsOnItsKeysRisingEdge) {
    const std::pair<int, int InputController::*> bindings[] = {
        {GLFW_KEY_F10, &InputController::shadows},       {GLFW_KEY_F7, &InputController::bufferDebugView},
        {GLFW_KEY_F6, &InputController::normalMapping},  {GLFW_KEY_F3, &InputController::wireframe},
        {GLFW_KEY_ENTER, &InputController::tour},        {GLFW_KEY_F1, &InputController::overlay},
    };
    for (auto [key, field] : bindings) {
        SCOPED_TRACE(key);
        const int before = controller_.get()->*field;
        press(key);
        frame();
        EXPECT_NE(controller_.get()->*field, before);
        // Held down over more frames: no further flip.
        frame();
        frame();
        EXPECT_NE(controller_.get()->*field, before);
        release(key);
        frame();
        tap(key);
        EXPECT_EQ(controller_.get()->*field, before);
    }
}

TEST_F(Switches, AutoRepeatStoresZeroAndFlipsNothing) {
    press(GLFW_KEY_F3);
    frame();
    ASSERT_EQ(controller_->wireframe, 1);
    for (int i = 0; i < 5; ++i) {
        repeat(GLFW_KEY_F3);
        EXPECT_EQ(keyState[GLFW_KEY_F3], 0);
        frame();
    }
    EXPECT_EQ(controller_->wireframe, 1);
}

TEST_F(Switches, APressAndReleaseWithinOneFrameFlipsOnce) {
    press(GLFW_KEY_F3);
    release(GLFW_KEY_F3);
    frame();
    EXPECT_EQ(controller_->wireframe, 1);
    frame();
    EXPECT_EQ(controller_->wireframe, 1);
    // Released and pressed again within one frame while it was down: a new press.
    press(GLFW_KEY_F3);
    frame();
    ASSERT_EQ(controller_->wireframe, 0);
    release(GLFW_KEY_F3);
    press(GLFW_KEY_F3);
    frame();
    EXPECT_EQ(controller_->wireframe, 1);
}

TEST_F(Switches, F1AndF9ActOncePerPressHoweverManyComeInOneFrame) {
    for (int i = 0; i < 2; ++i) {
        press(GLFW_KEY_F1);
        release(GLFW_KEY_F1);
    }
    for (int i = 0; i < 3; ++i) {
        press(GLFW_KEY_F9);
        release(GLFW_KEY_F9);
    }
    frame();
    EXPECT_EQ(controller_->overlay, 0) << "two presses, two flips";
    EXPECT_EQ(controller_->shaderReloadRequested, 3) << "three presses, three reloads";
    press(GLFW_KEY_F1);
    frame();
    frame();
    EXPECT_EQ(controller_->overlay, 1);
}

TEST_F(Switches, F8KeepsTheShadowDebugViewAndCullingOpposite) {
    for (int i = 0; i < 3; ++i) {
        tap(GLFW_KEY_F8);
        EXPECT_NE(controller_->shadowDebugView, controller_->frustumCulling);
    }
    EXPECT_EQ(controller_->shadowDebugView, 1);
    EXPECT_EQ(controller_->frustumCulling, 0);
}

TEST_F(Switches, PageUpAndPageDownWalkTheCamerasAndWrap) {
    std::vector<int> walk;
    for (int i = 0; i < 6; ++i) {
        walk.push_back(set_->index);
        tap(GLFW_KEY_PAGE_UP);
    }
    EXPECT_EQ(walk, (std::vector<int>{0, 1, 2, 3, 4, 0}));
    walk.clear();
    set_->index = 0;
    for (int i = 0; i < 6; ++i) {
        walk.push_back(set_->index);
        tap(GLFW_KEY_PAGE_DOWN);
    }
    EXPECT_EQ(walk, (std::vector<int>{0, 4, 3, 2, 1, 0}));
}

TEST_F(Switches, WithNoExtraCamerasTheIndexStaysAtZero) {
    auto only = std::make_unique<Camera>(45.0f, 1.0f, 1.0f, glm::vec3(0, 0, -1), glm::vec3(0), glm::vec3(0, 1, 0),
                                         nullptr);
    CameraSet single(std::move(only), nullptr);
    InputController controller(nullptr, &single, nullptr, std::make_unique<ScriptedInput>());
    press(GLFW_KEY_PAGE_UP);
    controller.handleKeys();
    EXPECT_EQ(single.index, 0);
    release(GLFW_KEY_PAGE_UP);
    press(GLFW_KEY_PAGE_DOWN);
    controller.handleKeys();
    EXPECT_EQ(single.index, 0);
}

TEST_F(Switches, CameraKeysDoNothingDuringTheTour) {
    tap(GLFW_KEY_PAGE_UP);
    ASSERT_EQ(set_->index, 1);
    tap(GLFW_KEY_ENTER);
    ASSERT_EQ(controller_->tour, 1);
    set_->index = 3; // where the tour happens to be
    tap(GLFW_KEY_PAGE_UP);
    tap(GLFW_KEY_PAGE_DOWN);
    EXPECT_EQ(set_->index, 3);
    tap(GLFW_KEY_ENTER);
    EXPECT_EQ(controller_->tour, 0);
    EXPECT_EQ(set_->index, 3) << "leaving the tour keeps the camera it last selected";
    tap(GLFW_KEY_PAGE_UP);
    EXPECT_EQ(set_->index, 4);
}

TEST_F(Switches, EnterResetsEveryCameraWhenTheTourStartsAndStops) {
    for (int stage = 0; stage < 2; ++stage) {
        SCOPED_TRACE(stage == 0 ? "start" : "stop");
        set_->defaultCamera->dolly(1.0f);
        set_->extraCameras[2]->dolly(1.0f);
        set_->tourTime = 12.0;
        tap(GLFW_KEY_ENTER);
        EXPECT_EQ(set_->tourTime, 0.0);
        EXPECT_EQ(set_->defaultCamera->position, set_->defaultCamera->initialPosition);
        EXPECT_EQ(set_->extraCameras[2]->position, set_->extraCameras[2]->initialPosition);
    }
}

TEST_F(Switches, RRequestsAResetOfTheCurrentCamera) {
    tap(GLFW_KEY_R);
    EXPECT_EQ(controller_->resetRequested, 1);
}

TEST_F(Switches, KeyCodesOutsideTheTableAreIgnored) {
    onKey(nullptr, GLFW_KEY_UNKNOWN, 0, GLFW_PRESS, 0);
    onKey(nullptr, GLFW_KEY_MENU, 0, GLFW_PRESS, 0);
    onKey(nullptr, 100000, 0, GLFW_PRESS, 0);
    frame();
    EXPECT_EQ(keyState[GLFW_KEY_LAST - 1], 0);
    EXPECT_EQ(controller_->wireframe, 0);
    press(GLFW_KEY_LAST - 1); // 347, the last code with an entry
    EXPECT_EQ(keyState[347], 1);
}
