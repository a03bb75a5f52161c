#pragma once
// The frame time handed to the update: the time since the last frame, except
// after the loop waited with nothing to draw (the window hidden or
// minimised) or after a stall (a debugger, a suspended machine). Time spent
// there is no time the scene lived through: the tour, the fire and the water
// go on from where they stopped, and that first frame takes the time of the
// last whole frame instead.

class FrameClock {
public:
    // Longer than this, and far longer than the last whole frame, is a
    // stall: a machine that draws every frame slowly still gets its real
    // times.
    static constexpr double kStallSeconds = 1.0;
    static constexpr double kStallRatio = 4.0;

    explicit FrameClock(double now) : last_(now) {}

    // The frame time of the frame starting at `now` (seconds, glfwGetTime).
    double tick(double now);
    // The loop waited without drawing until `now`; the next tick leaves the
    // wait out.
    void pause(double now) {
        last_ = now;
        paused_ = true;
    }

private:
    double last_;
    // The last measured time that spanned one whole frame, start to start:
    // not the first tick's (it spans the start-up), nor the one right after
    // a wait, nor a stall.
    double wholeFrame_ = 0.0;
    bool hasWholeFrame_ = false;
    bool started_ = false;
    bool paused_ = false;
};
