#include "support/GLTestContext.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "render/GLDebug.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstring>

namespace testing_support {

namespace {
void printGlfwError(int code, const char* description) {
    // Without a window manager, focusing a window reports a harmless
    // iconify error; everything else is worth seeing.
    if (std::strstr(description, "iconify") == nullptr)
        std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}
} // namespace

GLTestContext::GLTestContext(int width, int height) : width_(width), height_(height) {
    glfwSetErrorCallback(printGlfwError);
    if (glfwInit() == GLFW_FALSE)
        return;
    applyContextHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    window_ = glfwCreateWindow(width, height, "Thalvek test", nullptr, nullptr);
    if (window_ == nullptr) {
        glfwTerminate();
        return;
    }
    applyWindowInputModes(window_);
    glfwMakeContextCurrent(window_);
    if (!loadGLEntryPoints()) {
        glfwDestroyWindow(window_);
        window_ = nullptr;
        glfwTerminate();
        return;
    }
    rtr::installDebugOutput();
    ::window = window_;
    ::screenWidth = width;
    ::screenHeight = height;
}

GLTestContext::~GLTestContext() {
    if (window_ == nullptr)
        return;
    ::window = nullptr;
    glfwDestroyWindow(window_);
    glfwTerminate();
}

} // namespace testing_support
