#pragma once
// Window and context creation, shared by the program and the test harness so
// that both get the same context.

#include <optional>

struct GLFWwindow;

// The context hints: OpenGL 3.3 core, no depth or stencil bits in the
// window's framebuffer (every depth-tested pass draws into framebuffer
// objects). Debug builds also ask for a debug context.
void applyContextHints();

// GLEW, then the four entry points that are fetched by name in place of
// GLEW's. Returns false when GLEW fails. The context must be current.
bool loadGLEntryPoints();

// The window's input modes: the cursor hidden over the window (free flight
// puts it back at the centre every frame), and keys read as they are now.
// GLFW's sticky keys would report a released key as pressed at its next
// read, so a held key would act for one frame after its release, and a key
// tapped while nobody reads it (W during the tour) would act on the first
// frame that does. Taps between two polls are caught by the key callback's
// own latch instead.
void applyWindowInputModes(GLFWwindow* window);

// The largest picture the passes can draw: the off-screen targets are
// textures and a renderbuffer of the picture's size, drawn with a viewport
// of that size. Asked of a small hidden context before the real window is
// made, since a window beyond the limits may not be made at all (X11 takes
// sizes up to 32767 only). Empty when no such context can be made. GLFW
// must be initialised; no context is current afterwards.
struct PictureLimits {
    int width = 0;
    int height = 0;
};
std::optional<PictureLimits> probePictureLimits();
