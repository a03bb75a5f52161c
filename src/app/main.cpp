// Thalvek: a night clearing with a campfire and a pool. The whole life of the
// process: window and context, the scene built once, the frame loop, and the
// release of the scene.

#include "app/AppState.h"
#include "app/FrameLoop.h"
#include "app/SceneAssembly.h"
#include "app/Startup.h"
#include "render/Console.h"
#include "render/GL.h"
#include "render/GLDebug.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <iostream>

namespace {

void printGlfwError(int code, const char* description) {
    std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

} // namespace

int main() {
    // The scene file needs no window: it is read while the window and the
    // context are made.
    startReadingScene();
    glfwSetErrorCallback(printGlfwError);
    if (glfwInit() == GLFW_FALSE)
        rtr::fatalExit({"GLFW failed"}, "Pause");

    applyContextHints();
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode != nullptr) {
        screenWidth = mode->width;
        screenHeight = mode->height;
        glfwWindowHint(GLFW_RESIZABLE, 0);
        window = glfwCreateWindow(screenWidth, screenHeight, "Hello, Irvask", monitor, nullptr);
    }
    if (window == nullptr) {
        glfwTerminate();
        rtr::fatalExit({"No window ..."});
    }
    applyWindowInputModes(window);

    glfwMakeContextCurrent(window);
    std::cout << "Using OpenGL " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << std::endl;
    if (!loadGLEntryPoints())
        rtr::fatalExit({"Failed to initialize glew"});
    rtr::installDebugOutput();

    assembleScene();
    runFrameLoop();

    releaseScene();
    glfwTerminate();
    return 0;
}
