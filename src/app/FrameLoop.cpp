#include "app/FrameLoop.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/FrameTitle.h"
#include "app/FrameUpdate.h"
#include "app/KeyTable.h"
#include "app/Overlay.h"
#include "render/FrameRenderer.h"

#include <GLFW/glfw3.h>

namespace {

// Before the scene is assembled there is no camera set yet.
glm::vec3 selectedCameraPosition() {
    return cameras != nullptr ? cameras->current()->position : glm::vec3(0.0f);
}

} // namespace

bool escapeRequested(GLFWwindow* window) {
    return glfwGetKey(window, GLFW_KEY_ESCAPE) != GLFW_RELEASE || keyWentDown(GLFW_KEY_ESCAPE);
}

void runFrameLoop() {
    Overlay overlay(window);
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
        overlay.draw(frameTime);

        glfwSetWindowTitle(window, frameTitle(frameTime, selectedCameraPosition()).c_str());
        glfwSwapBuffers(window);
        glfwPollEvents();
        if (escapeRequested(window))
            break;
    }
}
