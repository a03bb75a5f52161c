#pragma once
// A window and GL context made exactly as the program makes them (same hints,
// same entry points), but windowed at a size the test chooses, so a test can
// render a small frame quickly. It also fills the application state's
// `window`, `screenWidth` and `screenHeight`, as the program's start-up does.

#include "render/GL.h"

struct GLFWwindow;

namespace testing_support {

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

private:
    GLFWwindow* window_ = nullptr;
    int width_;
    int height_;
};

} // namespace testing_support
