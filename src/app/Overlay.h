#pragma once
// The F1 overlay, drawn with Dear ImGui over the composed frame: the frame
// rate and time with a graph of the last seconds, the camera and the tour,
// every pass's GPU time, the switches and the lights, and the keys.
//
// It only shows: it takes no key and no mouse movement from the demo. ImGui
// installs none of its GLFW callbacks, so the program's own stay as they
// are, and it leaves the cursor alone. Nothing of ImGui is made before the
// overlay first shows, and while it is hidden it draws nothing.

#include <cstddef>
#include <string>
#include <vector>

struct GLFWwindow;

class Overlay {
public:
    explicit Overlay(GLFWwindow* window);
    // ImGui's renderer and platform parts and its context, while the GL
    // context is still current.
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // After the frame's passes, before the swap: notes the frame time, and
    // draws the overlay into the window when the F1 switch is on.
    void draw(double frameTime);

    // How many frames the overlay has drawn.
    long framesDrawn() const { return framesDrawn_; }

private:
    // The frame times of the last few seconds, oldest first.
    class FrameHistory {
    public:
        static constexpr double kSeconds = 5.0;
        void add(double frameTime);
        const std::vector<float>& milliseconds() const { return milliseconds_; }
        // Frames per second over the last second.
        double rate() const;

    private:
        std::vector<float> milliseconds_;
        double total_ = 0.0; // seconds
    };

    bool start();
    // One ImGui frame of the three panels, up to its end.
    void layOut(double frameTime);
    // Each panel at `top`; the switches return where theirs ends.
    float drawSwitches(float top);
    void drawFrame(double frameTime, float top);
    void drawKeys();

    GLFWwindow* window_;
    bool started_ = false;
    bool failed_ = false;
    bool cpuRenderer_ = false;
    std::string renderer_;
    FrameHistory history_;
    long framesDrawn_ = 0;
};
