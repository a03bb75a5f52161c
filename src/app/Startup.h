#pragma once
// Window and context creation, shared by the program and the test harness so
// that both get the same context.

struct GLFWwindow;

// The context hints: OpenGL 3.3 core, no depth or stencil bits in the
// window's framebuffer (every depth-tested pass draws into framebuffer
// objects). Debug builds also ask for a debug context.
void applyContextHints();

// GLEW, then the four entry points that are fetched by name in place of
// GLEW's. Returns false when GLEW fails. The context must be current.
bool loadGLEntryPoints();

// At software-rendering frame rates a key can be pressed and released
// between two polls; with the latch, glfwGetKey still reports that press
// once, so a tap of Escape (or of a held-key binding) is never lost.
void latchKeyPresses(GLFWwindow* window);
