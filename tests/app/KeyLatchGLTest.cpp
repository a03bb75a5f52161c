// A key pressed and released between two polls (a tap shorter than a frame)
// must still read as pressed once, as the program's Escape check needs.

#include "app/Startup.h"
#include "support/GLTestContext.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <thread>

using testing_support::GLTestContext;

namespace {

// Presses and releases the key through the X server before the next poll,
// so both events arrive in one glfwPollEvents. The events are sent to this
// window itself: the suite's other tests share the X server and its focus.
void tapBetweenPolls(GLFWwindow* window, const char* key) {
    const std::string title = "key latch " + std::to_string(::getpid());
    glfwSetWindowTitle(window, title.c_str());
    glfwPollEvents();
    const std::string command = "id=$(xdotool search --sync --name '^" + title +
                                "$' | head -n 1) && xdotool keydown --window $id " + key +
                                " keyup --window $id " + key;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    glfwPollEvents();
}

} // namespace

TEST(KeyLatch, TapBetweenTwoPollsReadsAsOnePress) {
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    latchKeyPresses(context.window());
    tapBetweenPolls(context.window(), "Escape");
    EXPECT_EQ(glfwGetKey(context.window(), GLFW_KEY_ESCAPE), GLFW_PRESS);
    // Read once: the latched press is then spent.
    EXPECT_EQ(glfwGetKey(context.window(), GLFW_KEY_ESCAPE), GLFW_RELEASE);
}

TEST(KeyLatch, WithoutTheLatchTheTapIsLost) {
    // Guards the test above: it only means something if a tap between two
    // polls really is lost by a plain window.
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    tapBetweenPolls(context.window(), "Escape");
    EXPECT_EQ(glfwGetKey(context.window(), GLFW_KEY_ESCAPE), GLFW_RELEASE);
}
