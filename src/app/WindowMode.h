#pragma once
// Full screen or a window, and what goes with each: the monitor, the
// window's size and place, and the cursor. Full screen hides the cursor and
// free flight re-centres it every frame. In a window that would trap the
// pointer, so there the cursor is free and visible, and hidden (and
// re-centred by the flight) only while the right button is held.

#include "app/Startup.h"

#include <string>

struct GLFWmonitor;
struct GLFWwindow;
struct Options;

// The refusal of a picture of width x height pixels beyond the driver's
// limits; empty when it fits (a size at the limit fits).
std::string sizeBeyondLimits(int width, int height, const PictureLimits& limits);

// The monitor the options name (counted from 1), or the primary one. Null
// when there is no such monitor; `problem` then says so.
GLFWmonitor* chosenMonitor(const Options& options, std::string& problem);

// The window of --window: decorated and resizable, of the options' size,
// centred on `monitor`'s work area. The size is checked
// against the driver's limits for the scene's targets before any window is
// shown; beyond them, or when the framebuffer comes out larger than the
// limits (a scaled display), it returns null with `problem` set. Null with
// `problem` empty: no window could be made at all.
GLFWwindow* openWindow(const Options& options, GLFWmonitor* monitor, std::string& problem);

class WindowMode {
public:
    // `options.monitor` is where full screen goes when the window does not
    // lie on any monitor.
    WindowMode(GLFWwindow* window, const Options& options);

    // F11: full screen on the monitor under the window's centre, or back to
    // the window's last size and place (the first time from full screen: two
    // thirds of the monitor, centred).
    void toggleFullScreen();
    bool isFullScreen() const;

    // Once per frame, before the flight reads the mouse: the cursor hidden
    // while the mouse steers, visible otherwise; when the right button is
    // let go the pointer goes back where the button went down.
    void updateCursor();

private:
    GLFWmonitor* monitorUnderWindow() const;

    GLFWwindow* window_;
    int monitorNumber_;
    bool hasWindowedPlace_ = false;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool steering_ = false;
    double pressX_ = 0.0, pressY_ = 0.0;
};
