#pragma once
// The keyboard and cursor as free flight sees them. The flight maths asks this
// interface instead of GLFW, so it runs the same under a test's scripted input
// as under the real window.

#include <glm/vec2.hpp>

struct GLFWwindow;

class CameraInput {
public:
    virtual ~CameraInput() = default;

    // True while the key (a GLFW key code) is held down.
    virtual bool isKeyDown(int key) const = 0;
    // Cursor position in screen coordinates of the window's client area.
    virtual glm::dvec2 cursorPosition() const = 0;
    // Window size in screen coordinates.
    virtual glm::ivec2 windowSize() const = 0;
    // Moves the cursor; the window system may ignore it (an unfocused window).
    virtual void setCursorPosition(double x, double y) = 0;
    // Whether the window has the input focus. Without it the cursor cannot be
    // put back at the centre, so its offset is no mouse movement.
    virtual bool hasFocus() const = 0;
    // Whether the mouse turns the view now. Full screen: whenever the window
    // has focus. In a window, re-centring would trap the pointer, so only
    // while the right button is held.
    virtual bool mouseSteers() const { return hasFocus(); }

    // True while the last free-flight frame put the cursor at the centre:
    // only then is the cursor's offset a movement of the mouse. It starts
    // false, and goes false whenever focus is lost or the flight pauses, so
    // the first frame after that takes the cursor as the new centre instead
    // of turning the view by wherever the cursor happens to be.
    bool cursorCentred = false;
};

// The program's input: the window's keys and cursor through GLFW.
class GlfwCameraInput final : public CameraInput {
public:
    explicit GlfwCameraInput(GLFWwindow* window);

    bool isKeyDown(int key) const override;
    glm::dvec2 cursorPosition() const override;
    glm::ivec2 windowSize() const override;
    void setCursorPosition(double x, double y) override;
    bool hasFocus() const override;
    bool mouseSteers() const override;

private:
    GLFWwindow* window_;
};
