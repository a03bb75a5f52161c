// Real key events from an X server of the test's own, sent to its window:
// on the server the suite's other tests share, windows come and go while
// the keys are on their way. Held keys act only in
// the frames in which they are down; a tap of Escape between two polls still
// quits, through the key callback's latch; with the F1 overlay showing,
// every key does what it does without it.

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/FrameLoop.h"
#include "app/FrameUpdate.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "render/Level.h"
#include "render/PointLight.h"
#include "support/DemoHarness.h"
#include "support/GLTestContext.h"
#include "support/PrivateDisplay.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

// Gives the window a title of its own and returns the xdotool words that
// find it.
std::string windowSearch(GLFWwindow* window) {
    const std::string title = "key events " + std::to_string(::getpid());
    glfwSetWindowTitle(window, title.c_str());
    glfwPollEvents();
    return "id=$(xdotool search --sync --name '^" + title + "$' | head -n 1)";
}

void xdotool(const std::string& search, const std::string& actions) {
    const std::string command = search + " && xdotool " + actions;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Polls events until the condition holds, up to a generous limit for a
// loaded machine.
template <typename Condition>
bool pollUntil(Condition condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit) {
        glfwPollEvents();
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Until the key callback has recorded the key as down (1) or up (0).
bool waitForKeyState(int key, unsigned char down) {
    return pollUntil([&] { return keyState[key] == down; });
}

class WindowKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        ASSERT_TRUE(demo_.ok());
        // The window's own keys and cursor, as in the program.
        inputController->setInput(std::make_unique<GlfwCameraInput>(window));
        search_ = windowSearch(window);
    }

    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            glfwPollEvents();
            updateFrame(kDt);
        }
    }

    static constexpr double kDt = 1.0 / 30.0;
    PrivateDisplay display_; // before the window, and gone after it
    DemoHarness demo_{64, 36};
    std::string search_;
};

} // namespace

TEST_F(WindowKeys, AHeldLightKeyActsOnlyInTheFramesItIsDown) {
    PointLight* moved = level->lights().back();
    const float start = moved->position.z;

    xdotool(search_, "keydown --window $id u");
    ASSERT_TRUE(waitForKeyState(GLFW_KEY_U, 1));
    frames(3);
    float expected = start;
    for (int i = 0; i < 3; ++i)
        expected = static_cast<float>(expected + 0.1);
    EXPECT_EQ(moved->position.z, expected);

    xdotool(search_, "keyup --window $id u");
    ASSERT_TRUE(waitForKeyState(GLFW_KEY_U, 0));
    frames(3);
    EXPECT_EQ(moved->position.z, expected) << "a released key must not act once more";
}

TEST_F(WindowKeys, AKeyTappedDuringTheTourDoesNotMoveTheCameraAfterIt) {
    recordKeyEvent(GLFW_KEY_ENTER, GLFW_PRESS);
    frames(1);
    recordKeyEvent(GLFW_KEY_ENTER, GLFW_RELEASE);
    frames(2);
    ASSERT_EQ(inputController->tour, 1);

    xdotool(search_, "keydown --window $id w");
    ASSERT_TRUE(waitForKeyState(GLFW_KEY_W, 1));
    frames(1);
    xdotool(search_, "keyup --window $id w");
    ASSERT_TRUE(waitForKeyState(GLFW_KEY_W, 0));
    frames(1);

    // Enter stops the tour and resets every camera; the next flight frames
    // must leave camera 0 exactly at its start pose.
    recordKeyEvent(GLFW_KEY_ENTER, GLFW_PRESS);
    frames(1);
    recordKeyEvent(GLFW_KEY_ENTER, GLFW_RELEASE);
    frames(2);
    ASSERT_EQ(inputController->tour, 0);
    const Camera& camera = *cameras->current();
    EXPECT_EQ(cameras->index, 0);
    EXPECT_EQ(camera.position, camera.initialPosition);
    EXPECT_EQ(camera.direction, camera.initialDirection);
    EXPECT_EQ(camera.up, camera.initialUp);
}

TEST_F(WindowKeys, WithTheOverlayShowingEveryKeyStillActs) {
    xdotool(search_, "key --window $id F1");
    ASSERT_TRUE(pollUntil([] { return keyWentDown(GLFW_KEY_F1); }));
    demo_.advance(1, kDt);
    ASSERT_EQ(demo_.overlay().framesDrawn(), 1);
    // ImGui must leave the window's input as the demo set it.
    EXPECT_EQ(glfwGetInputMode(window, GLFW_STICKY_KEYS), GLFW_FALSE);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_HIDDEN);

    int InputController::*const switches[] = {&InputController::wireframe,     &InputController::normalMapping,
                                              &InputController::bufferDebugView, &InputController::shadowDebugView,
                                              &InputController::frustumCulling, &InputController::shadows};
    std::vector<int> before;
    for (auto field : switches)
        before.push_back(inputController->*field);
    const int camera = cameras->index;
    xdotool(search_, "key --window $id F3 F6 F7 F8 F10 Prior");
    ASSERT_TRUE(pollUntil([] {
        for (int key : {GLFW_KEY_F3, GLFW_KEY_F6, GLFW_KEY_F7, GLFW_KEY_F8, GLFW_KEY_F10, GLFW_KEY_PAGE_UP})
            if (!keyWentDown(key))
                return false;
        return true;
    }));
    demo_.advance(1, kDt);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_NE(inputController->*switches[i], before[i]) << "switch " << i;
    EXPECT_NE(cameras->index, camera) << "Page Up";
    EXPECT_EQ(inputController->overlay, 1);

    PointLight* rear = level->lights()[2];
    const float intensity = rear->intensity;
    xdotool(search_, "keydown --window $id F5");
    ASSERT_TRUE(waitForKeyState(GLFW_KEY_F5, 1));
    demo_.advance(2, kDt);
    xdotool(search_, "keyup --window $id F5");
    // Not the key table: the server's auto-repeat may already have stored 0.
    ASSERT_TRUE(pollUntil([] { return glfwGetKey(window, GLFW_KEY_F5) == GLFW_RELEASE; }));
    demo_.advance(1, kDt);
    EXPECT_EQ(rear->intensity, intensity + 20.0f) << "F5 held for two frames";

    xdotool(search_, "key --window $id Return");
    ASSERT_TRUE(pollUntil([] { return keyWentDown(GLFW_KEY_ENTER); }));
    demo_.advance(1, kDt);
    EXPECT_EQ(inputController->tour, 1);
    EXPECT_EQ(demo_.overlay().framesDrawn(), 6);

    xdotool(search_, "key --window $id Escape");
    ASSERT_TRUE(pollUntil([] { return keyWentDown(GLFW_KEY_ESCAPE); }));
    EXPECT_TRUE(escapeRequested(window));
}

TEST(EscapeLatch, ATapBetweenTwoPollsStillQuits) {
    PrivateDisplay display;
    ASSERT_TRUE(display.ok());
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    clearKeyTables();
    glfwSetKeyCallback(context.window(), onKey);
    const std::string search = windowSearch(context.window());
    EXPECT_FALSE(escapeRequested(context.window()));

    // Both events arrive before the next poll.
    xdotool(search, "keydown --window $id Escape keyup --window $id Escape");
    ASSERT_TRUE(pollUntil([] { return keyWentDown(GLFW_KEY_ESCAPE) && keyState[GLFW_KEY_ESCAPE] == 0; }))
        << "the tap never arrived";
    EXPECT_EQ(glfwGetKey(context.window(), GLFW_KEY_ESCAPE), GLFW_RELEASE) << "held keys read as they are now";
    EXPECT_TRUE(escapeRequested(context.window()));
    endKeyFrame();
    EXPECT_FALSE(escapeRequested(context.window())) << "the tap is spent once a frame has handled it";
}
