#include "support/GLTestContext.h"

#include "app/AppState.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testing_support {

namespace {
void printGlfwError(int code, const char* description) {
    // Without a window manager, focusing a window reports a harmless
    // iconify error; everything else is worth seeing.
    if (std::strstr(description, "iconify") == nullptr)
        std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

const char* errorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: return "unknown error";
    }
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
    // Synchronous, so that a message arrives inside the call that caused it.
    debugOutput_ = (GLEW_VERSION_4_3 || GLEW_KHR_debug) && glDebugMessageCallback != nullptr;
    if (debugOutput_) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(collect, this);
    }
    // A driver run must not pass on another driver: Mesa falls back to one
    // it has when the one asked for cannot start.
    const char* driver = std::getenv("GALLIUM_DRIVER");
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (driver != nullptr && (renderer == nullptr || std::strstr(renderer, driver) == nullptr))
        ADD_FAILURE() << "GALLIUM_DRIVER=" << driver << " asks for a driver, but the context's is "
                      << (renderer != nullptr ? renderer : "unknown");
    ::window = window_;
    ::screenWidth = width;
    ::screenHeight = height;
}

GLTestContext::~GLTestContext() {
    if (window_ == nullptr)
        return;
    if (debugOutput_)
        glDebugMessageCallback(nullptr, nullptr);
    else
        pollErrorFlags();
    ::window = nullptr;
    glfwDestroyWindow(window_);
    glfwTerminate();
    for (const DriverMessage& message : errors_)
        ADD_FAILURE() << "the GL driver reported: " << message.text;
}

void GLAPIENTRY GLTestContext::collect(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei,
                                       const GLchar* message, const void* context) {
    if (severity == GL_DEBUG_SEVERITY_NOTIFICATION)
        return;
    // A shader that does not compile is an outcome the program reads from
    // the shader's own status and log (the fatal path at start-up, the
    // previous program kept at a reload), not a misuse of the API; the
    // compiler's copy of that log is no driver error.
    if (source == GL_DEBUG_SOURCE_SHADER_COMPILER)
        return;
    const bool error = type == GL_DEBUG_TYPE_ERROR;
    std::fprintf(stderr, "GL %s %u: %s\n", error ? "error" : "message", id, message);
    if (error || severity == GL_DEBUG_SEVERITY_HIGH)
        const_cast<GLTestContext*>(static_cast<const GLTestContext*>(context))
            ->errors_.push_back({type, severity, id, message});
}

void GLTestContext::pollErrorFlags() {
    // One flag per kind of error at most; a lost context could answer forever.
    for (int i = 0; i < 16; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        errors_.push_back({GL_DEBUG_TYPE_ERROR, GL_DEBUG_SEVERITY_HIGH, error,
                           std::string("glGetError: ") + errorName(error)});
    }
}

std::vector<DriverMessage> GLTestContext::takeDriverErrors() {
    if (!debugOutput_)
        pollErrorFlags();
    std::vector<DriverMessage> taken;
    taken.swap(errors_);
    return taken;
}

} // namespace testing_support
