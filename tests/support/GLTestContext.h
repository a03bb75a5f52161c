#pragma once
// A window and GL context made exactly as the program makes them (same hints,
// same entry points), but windowed at a size the test chooses, so a test can
// render a small frame quickly. It also fills the application state's
// `window`, `screenWidth` and `screenHeight`, as the program's start-up does.
//
// The context also watches the driver: every error it reports, and every
// message it marks as of high severity, fails the test in which the context
// ends (through KHR_debug where the driver has it; otherwise glGetError when
// the context ends). A test that causes such a message on purpose takes it
// with takeDriverErrors() and checks it.

#include "render/GL.h"

#include <string>
#include <vector>

struct GLFWwindow;

namespace testing_support {

struct DriverMessage {
    GLenum type = 0;     // GL_DEBUG_TYPE_ERROR, ...; GL_DEBUG_TYPE_ERROR from glGetError
    GLenum severity = 0; // GL_DEBUG_SEVERITY_HIGH, ...
    GLuint id = 0;       // the error code, from glGetError
    std::string text;
};

class GLTestContext {
public:
    explicit GLTestContext(int width = 320, int height = 180);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    GLFWwindow* window() const { return window_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool ok() const { return window_ != nullptr; }

    // The errors and high-severity messages reported so far, which then no
    // longer fail the test. Without KHR_debug, the errors glGetError holds.
    std::vector<DriverMessage> takeDriverErrors();
    // Whether the driver reports through KHR_debug (as Mesa's drivers do).
    bool hasDebugOutput() const { return debugOutput_; }

private:
    static void GLAPIENTRY collect(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                   const GLchar* message, const void* context);
    void pollErrorFlags();

    GLFWwindow* window_ = nullptr;
    int width_;
    int height_;
    bool debugOutput_ = false;
    std::vector<DriverMessage> errors_;
};

} // namespace testing_support
