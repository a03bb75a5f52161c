#pragma once
// The F1 overlay, drawn with Dear ImGui over the composed frame: the frame
// rate and time with a graph of the last seconds, the camera and the tour,
// every pass's GPU time, the switches and the lights, and the keys.
//
// It only shows: it takes no key and no mouse movement from the demo. ImGui
// installs none of its GLFW callbacks, so the program's own stay as they
// are, and it leaves the cursor alone. Nothing of ImGui is made before the
// overlay first shows, and while it is hidden it draws nothing. At any
// window size its panels stay inside the window and apart (OverlayLayout).

#include "app/OverlayLayout.h"

#include <array>
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

    // The panels' sizes: indexed by overlay_layout::Panel, the collapsed key
    // list last.
    using Sizes = std::array<overlay_layout::Size, overlay_layout::kPanelCount + 1>;
    static constexpr int kKeysCollapsed = overlay_layout::kPanelCount;

    bool start();
    // Measures every panel at full size, unseen.
    void measure(double frameTime);
    // Chooses the panels' scale and places for the window as it is now.
    void arrange(double frameTime);
    // One ImGui frame of the panels as arranged, up to its end.
    void layOut(double frameTime);
    // Starts an ImGui frame with everything drawn at `scale`.
    void newFrame(float scale);
    // The panels at their places; `everyPanel` adds the key list's other
    // form (for measuring).
    void drawPanels(double frameTime, bool everyPanel);
    void drawSwitches(overlay_layout::Place at);
    void drawFrame(double frameTime, overlay_layout::Place at);
    void drawKeys(overlay_layout::Place at, bool collapsed);

    GLFWwindow* window_;
    bool started_ = false;
    bool failed_ = false;
    bool cpuRenderer_ = false;
    std::string renderer_;
    FrameHistory history_;
    long framesDrawn_ = 0;

    float scale_ = 1.0f;          // of the ImGui frame being laid out
    Sizes drawnSize_{};           // as last drawn, at their scale
    Sizes fullSize_{};            // at full size
    overlay_layout::Arrangement arrangement_;
    // What the arrangement was made for: the window's size and F7's view.
    int arrangedWidth_ = -1;
    int arrangedHeight_ = -1;
    float arrangedReserved_ = -1.0f;
};
