#pragma once
// The frame loop: update, render, the F1 overlay, title, swap, poll, until
// the window is asked to close, Escape is down, or SIGINT, SIGTERM or
// SIGHUP has come. While the window is minimised or has no pixels it draws nothing and
// waits for events; F11 and F12 switch full screen and save a screenshot,
// once per press. A screenshot asked for just before the loop ends is
// still saved, of the last frame.

struct GLFWwindow;
struct Options;

void runFrameLoop(const Options& options);

// Read right after the poll: Escape is down, or was pressed since the last
// frame. Held keys are read as they are now (a key that was released acts no
// more), so a tap of Escape that went down and up between two polls would
// be lost; the key callback's press latch keeps it.
bool escapeRequested(GLFWwindow* window);

// The scene's targets, the viewport and the cameras' aspect follow the
// framebuffer (not the window: on a scaled display it has more pixels).
// A framebuffer with no pixels (a minimised window) keeps the last size.
void followFramebufferSize();
