#include "app/FrameLoop.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/FrameTitle.h"
#include "app/FrameUpdate.h"
#include "render/FrameRenderer.h"

#include <GLFW/glfw3.h>

namespace {

// Before the scene is assembled there is no camera set yet.
glm::vec3 selectedCameraPosition() {
    return cameras != nullptr ? cameras->current()->position : glm::vec3(0.0f);
}

} // namespace

void runFrameLoop() {
    double lastTime = glfwGetTime();
    while (glfwWindowShouldClose(window) == 0) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);

        const double now = glfwGetTime();
        const double frameTime = now - lastTime;
        lastTime = now;

        updateFrame(frameTime);
        renderFrame();

        glfwSetWindowTitle(window, frameTitle(frameTime, selectedCameraPosition()).c_str());
        glfwSwapBuffers(window);
        glfwPollEvents();
        // The key latch set at window creation keeps a tap of Escape that
        // was pressed and released between two polls readable here.
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_RELEASE)
            break;
    }
}
