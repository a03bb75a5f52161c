#include "app/CameraInput.h"

#include "render/GL.h"

#include <GLFW/glfw3.h>

GlfwCameraInput::GlfwCameraInput(GLFWwindow* window) : window_(window) {}

bool GlfwCameraInput::isKeyDown(int key) const { return glfwGetKey(window_, key) == GLFW_PRESS; }

glm::dvec2 GlfwCameraInput::cursorPosition() const {
    glm::dvec2 position(0.0);
    glfwGetCursorPos(window_, &position.x, &position.y);
    return position;
}

glm::ivec2 GlfwCameraInput::windowSize() const {
    glm::ivec2 size(0);
    glfwGetWindowSize(window_, &size.x, &size.y);
    return size;
}

void GlfwCameraInput::setCursorPosition(double x, double y) { glfwSetCursorPos(window_, x, y); }

bool GlfwCameraInput::hasFocus() const { return glfwGetWindowAttrib(window_, GLFW_FOCUSED) == GLFW_TRUE; }

bool GlfwCameraInput::mouseSteers() const {
    if (!hasFocus())
        return false;
    const bool fullScreen = glfwGetWindowMonitor(window_) != nullptr;
    return fullScreen || glfwGetMouseButton(window_, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
}
