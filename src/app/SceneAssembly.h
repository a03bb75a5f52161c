#pragma once
// Building the scene once at start-up, reloading its shaders on request, and
// releasing it at the end.

// Starts reading the scene file on a worker thread, so that it is read
// while the window and the context are made; assembleScene takes it over
// and says what went wrong with it at the same point as ever. Optional:
// without it assembleScene reads the file itself.
void startReadingScene();

// Creates every object of the application state, in an order where each one
// finds the objects it reads already made.
void assembleScene();

// Builds every shader program of the scene again from its files and sets up
// each one's uniforms, sampler units and blocks again. A program whose files
// fail to compile or link says why and stays as it was; the reload never
// exits. Ends with one line on standard output: how many were reloaded.
void reloadShaders();

// Deletes what assembleScene made that must go before GLFW terminates, in
// the documented order; each global is cleared after deletion.
void releaseScene();
