#pragma once
// Building the scene once at start-up, and releasing it at the end.

// Creates every object of the application state, in an order where each one
// finds the objects it reads already made.
void assembleScene();

// Deletes what assembleScene made that must go before GLFW terminates, in
// the documented order; each global is cleared after deletion.
void releaseScene();
