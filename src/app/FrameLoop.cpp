#include "app/FrameLoop.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/FrameClock.h"
#include "app/FrameStep.h"
#include "app/FrameTitle.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "app/StopSignals.h"
#include "app/Options.h"
#include "app/Overlay.h"
#include "app/Screenshots.h"
#include "app/WindowMode.h"
#include "render/FrameRenderer.h"

#include <GLFW/glfw3.h>

namespace {

// Before the scene is assembled there is no camera set yet.
glm::vec3 selectedCameraPosition() {
    return cameras != nullptr ? cameras->current()->position : glm::vec3(0.0f);
}

// How long a loop with nothing to draw sleeps in one wait at most: events
// wake it at once, and a flag set outside GLFW (a signal) is still seen
// within this time.
constexpr double kIdleWaitSeconds = 0.25;

// A minimised window, or one with no pixels, has nothing to draw into.
bool nothingToDraw() {
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    return glfwGetWindowAttrib(window, GLFW_ICONIFIED) == GLFW_TRUE || width <= 0 || height <= 0;
}

} // namespace

void followFramebufferSize() {
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width <= 0 || height <= 0 || (width == screenWidth && height == screenHeight))
        return;
    screenWidth = width;
    screenHeight = height;
    if (cameras != nullptr)
        cameras->resize(static_cast<float>(width), static_cast<float>(height));
    if (frameRenderer != nullptr)
        frameRenderer->resize(width, height);
}

namespace {

// The picture of the current state again, overlay included, as the loop
// draws it.
void redraw(Overlay& overlay, double frameTime) {
    redrawFrame();
    overlay.draw(frameTime);
}

} // namespace

bool escapeRequested(GLFWwindow* window) {
    return glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_RELEASE || keyWentDown(GLFW_KEY_ESCAPE);
}

void runFrameLoop(const Options& options) {
    WindowMode windowMode(window, options);
    Overlay overlay(window);
    Screenshots screenshots(options.screenshotFolder);
    FrameClock clock(glfwGetTime());
    double frameTime = 0.0;
    while (glfwWindowShouldClose(window) == 0 && !stopSignalled()) {
        if (nothingToDraw()) {
            glfwWaitEventsTimeout(kIdleWaitSeconds);
            clock.pause(glfwGetTime());
            // A picture taken just before still reaches its file.
            screenshots.collect();
        } else {
            // One switch per press: two quick presses leave the window as
            // it was.
            for (int presses = takePresses(GLFW_KEY_F11); presses > 0; --presses) {
                windowMode.toggleFullScreen();
                // The window's centre moved: the next flight frame takes the
                // cursor where it is.
                if (inputController != nullptr)
                    inputController->input().cursorCentred = false;
            }
            const int screenshotsRequested = takePresses(GLFW_KEY_F12);
            followFramebufferSize();
            windowMode.updateCursor();

            frameTime = clock.tick(glfwGetTime());

            stepFrame(frameTime);
            overlay.draw(frameTime);

            glfwSetWindowTitle(window, frameTitle(frameTime, selectedCameraPosition()).c_str());
            // One file per press, each of this frame's picture.
            for (int shot = 0; shot < screenshotsRequested; ++shot)
                screenshots.capture(screenWidth, screenHeight);
            glfwSwapBuffers(window);
            glfwPollEvents();
            screenshots.collect();
        }
        if (escapeRequested(window))
            break;
    }
    // F12 pressed with the last events (just before Escape, the close
    // button or a stop signal) still gets its file: the last frame is drawn
    // once more as it was, without an update, and the Screenshots
    // destructor waits for the files. A signal ends the loop before the
    // events that came with it are polled.
    glfwPollEvents();
    const int screenshotsRequested = takePresses(GLFW_KEY_F12);
    if (screenshotsRequested > 0 && !nothingToDraw()) {
        followFramebufferSize();
        redraw(overlay, frameTime);
        for (int shot = 0; shot < screenshotsRequested; ++shot)
            screenshots.capture(screenWidth, screenHeight);
    }
}
