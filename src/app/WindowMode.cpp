#include "app/WindowMode.h"

#include "app/Options.h"
#include "app/Startup.h"
#include "render/GL.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <optional>

namespace {

// Where a window of this size sits centred on the monitor's work area (the
// screen less panels and docks), never off its top-left corner.
void centreOn(GLFWmonitor* monitor, int width, int height, int& x, int& y) {
    int areaX = 0, areaY = 0, areaWidth = 0, areaHeight = 0;
    glfwGetMonitorWorkarea(monitor, &areaX, &areaY, &areaWidth, &areaHeight);
    x = areaX + std::max(0, (areaWidth - width) / 2);
    y = areaY + std::max(0, (areaHeight - height) / 2);
}

} // namespace

std::string sizeBeyondLimits(int width, int height, const PictureLimits& limits) {
    if (width <= limits.width && height <= limits.height)
        return {};
    return "window size " + sizeText(width, height) + " is beyond this driver's limit of " +
           sizeText(limits.width, limits.height);
}

GLFWmonitor* chosenMonitor(const Options& options, std::string& problem) {
    if (options.monitor == 0)
        return glfwGetPrimaryMonitor();
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    if (monitors == nullptr || options.monitor > count) {
        problem = "no monitor " + std::to_string(options.monitor) + " (this display has " + std::to_string(count) +
                  (count == 1 ? " monitor)" : " monitors)");
        return nullptr;
    }
    return monitors[options.monitor - 1];
}

GLFWwindow* openWindow(const Options& options, GLFWmonitor* monitor, std::string& problem) {
    const std::optional<PictureLimits> limits = probePictureLimits();
    if (!limits)
        return nullptr;
    problem = sizeBeyondLimits(options.windowWidth, options.windowHeight, *limits);
    if (!problem.empty())
        return nullptr;

    glfwDefaultWindowHints();
    applyContextHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_DECORATED, GLFW_TRUE);
    // Shown only once its framebuffer is known to fit the limits.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* created = glfwCreateWindow(options.windowWidth, options.windowHeight, "Hello, Irvask", nullptr, nullptr);
    if (created == nullptr)
        return nullptr;
    // On a scaled display the framebuffer has more pixels than the window.
    int width = 0, height = 0;
    glfwGetFramebufferSize(created, &width, &height);
    problem = sizeBeyondLimits(width, height, *limits);
    if (!problem.empty()) {
        glfwDestroyWindow(created);
        return nullptr;
    }
    glfwSetWindowSizeLimits(created, 1, 1, limits->width, limits->height);
    if (monitor != nullptr) {
        int x = 0, y = 0;
        centreOn(monitor, options.windowWidth, options.windowHeight, x, y);
        glfwSetWindowPos(created, x, y);
    }
    glfwShowWindow(created);
    return created;
}

WindowMode::WindowMode(GLFWwindow* window, const Options& options)
    : window_(window), monitorNumber_(options.monitor) {}

bool WindowMode::isFullScreen() const { return glfwGetWindowMonitor(window_) != nullptr; }

GLFWmonitor* WindowMode::monitorUnderWindow() const {
    int x = 0, y = 0, width = 0, height = 0;
    glfwGetWindowPos(window_, &x, &y);
    glfwGetWindowSize(window_, &width, &height);
    const int centreX = x + width / 2, centreY = y + height / 2;
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; i < count; ++i) {
        int left = 0, top = 0;
        glfwGetMonitorPos(monitors[i], &left, &top);
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (mode != nullptr && centreX >= left && centreX < left + mode->width && centreY >= top &&
            centreY < top + mode->height)
            return monitors[i];
    }
    if (monitorNumber_ >= 1 && monitorNumber_ <= count)
        return monitors[monitorNumber_ - 1];
    return glfwGetPrimaryMonitor();
}

void WindowMode::toggleFullScreen() {
    if (GLFWmonitor* monitor = glfwGetWindowMonitor(window_)) {
        if (!hasWindowedPlace_) {
            const GLFWvidmode* mode = glfwGetVideoMode(monitor);
            if (mode == nullptr)
                return;
            width_ = std::max(1, mode->width * 2 / 3);
            height_ = std::max(1, mode->height * 2 / 3);
            centreOn(monitor, width_, height_, x_, y_);
            hasWindowedPlace_ = true;
        }
        // A window started full screen was made fixed in size; the size
        // hints it gets on leaving full screen follow this attribute.
        glfwSetWindowAttrib(window_, GLFW_RESIZABLE, GLFW_TRUE);
        glfwSetWindowMonitor(window_, nullptr, x_, y_, width_, height_, GLFW_DONT_CARE);
        return;
    }
    GLFWmonitor* monitor = monitorUnderWindow();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr)
        return;
    glfwGetWindowPos(window_, &x_, &y_);
    glfwGetWindowSize(window_, &width_, &height_);
    hasWindowedPlace_ = true;
    glfwSetWindowMonitor(window_, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

void WindowMode::updateCursor() {
    const bool fullScreen = isFullScreen();
    const bool steering = !fullScreen && glfwGetWindowAttrib(window_, GLFW_FOCUSED) == GLFW_TRUE &&
                          glfwGetMouseButton(window_, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS;
    if (steering && !steering_)
        glfwGetCursorPos(window_, &pressX_, &pressY_);
    const int wanted = fullScreen || steering ? GLFW_CURSOR_HIDDEN : GLFW_CURSOR_NORMAL;
    if (glfwGetInputMode(window_, GLFW_CURSOR) != wanted)
        glfwSetInputMode(window_, GLFW_CURSOR, wanted);
    if (!steering && steering_ && !fullScreen)
        glfwSetCursorPos(window_, pressX_, pressY_);
    steering_ = steering;
}
