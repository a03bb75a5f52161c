#pragma once
// The keyboard's switches (wireframe, normal mapping, shadows, tour, debug
// views, culling, the F1 overlay), read by the frame render, and the
// per-frame key handling: held keys that move a light and change
// intensities, switch keys that flip once per press, camera selection and
// reset.

#include "app/CameraInput.h"

#include <memory>

struct GLFWwindow;
class CameraSet;
class Level;

// The GLFW key callback: records press, repeat and release into the tables.
void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);

class InputController {
public:
    // Takes the cameras and the Level from the application state, switches
    // the Level's shadows on and installs onKey on the window (if any).
    explicit InputController(GLFWwindow* window);
    // For tests: an explicit camera set, Level and held-key source.
    InputController(GLFWwindow* window, CameraSet* cameras, Level* level, std::unique_ptr<CameraInput> keys);
    ~InputController();
    InputController(const InputController&) = delete;
    InputController& operator=(const InputController&) = delete;

    // Once per frame: held keys, then switches, camera selection, M, and the
    // end of the key frame.
    void handleKeys();

    // Where held keys and the cursor come from (the window, in the program);
    // free flight reads the same source.
    CameraInput& input() { return *keys; }
    void setInput(std::unique_ptr<CameraInput> source) { keys = std::move(source); }

    GLFWwindow* window;
    CameraSet* cameras;
    Level* level;
    int normalMapping = 1;
    int wireframe = 0;
    int shadows = 1;
    int tour = 0;
    int bufferDebugView = 0;
    int shadowDebugView = 0;
    int frustumCulling = 1;
    int overlay = 0; // F1: the frame's figures, the switches and the keys over the picture
    int resetRequested = 0;
    int shaderReloadRequested = 0; // F9's presses not yet served by the frame update, one reload each

private:
    void handleHeldKeys();
    std::unique_ptr<CameraInput> keys;
};
