#include "app/InputController.h"

#include "app/AppState.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/KeyTable.h"
#include "audio/AudioSystem.h"
#include "render/Level.h"
#include "render/PointLight.h"

#include <GLFW/glfw3.h>

namespace {

// The light keys step in double precision on the float coordinate.
void step(float& coordinate, double amount) { coordinate = static_cast<float>(coordinate + amount); }

void flip(int& value) { value = value == 0 ? 1 : 0; }

} // namespace

void onKey(GLFWwindow*, int key, int, int action, int) { recordKeyEvent(key, action); }

InputController::InputController(GLFWwindow* window)
    : InputController(window, ::cameras, ::level, std::make_unique<GlfwCameraInput>(window)) {}

InputController::InputController(GLFWwindow* window, CameraSet* cameras, Level* level,
                                 std::unique_ptr<CameraInput> keys)
    : window(window), cameras(cameras), level(level), keys(std::move(keys)) {
    if (level != nullptr)
        level->shadowsEnabled = 1;
    if (window != nullptr)
        glfwSetKeyCallback(window, onKey);
}

InputController::~InputController() = default;

void InputController::handleHeldKeys() {
    // The light keys act on the last light and F4/F5 on the second and third;
    // with fewer than three lights they do nothing.
    if (level == nullptr || level->lightCount() < 3)
        return;
    struct Move {
        int key;
        int axis;
        double amount;
    };
    static constexpr Move moves[] = {{GLFW_KEY_U, 2, 0.1}, {GLFW_KEY_J, 2, -0.1}, {GLFW_KEY_H, 0, 0.1},
                                     {GLFW_KEY_K, 0, -0.1}, {GLFW_KEY_L, 1, -0.1}, {GLFW_KEY_O, 1, 0.1}};
    for (const Move& move : moves)
        if (keys->isKeyDown(move.key)) {
            const auto lights = level->lights();
            step(lights.back()->position[move.axis], move.amount);
        }
    // Nothing bounds the intensities; they may go negative.
    if (keys->isKeyDown(GLFW_KEY_F4)) {
        const auto lights = level->lights();
        lights[1]->intensity -= 10.0f;
        lights[2]->intensity -= 10.0f;
    }
    if (keys->isKeyDown(GLFW_KEY_F5)) {
        const auto lights = level->lights();
        lights[1]->intensity += 10.0f;
        lights[2]->intensity += 10.0f;
    }
}

void InputController::handleKeys() {
    handleHeldKeys();

    if (keyWentDown(GLFW_KEY_F10)) {
        flip(shadows);
        if (level != nullptr)
            level->shadowsEnabled = shadows;
    }
    if (keyWentDown(GLFW_KEY_F7))
        flip(bufferDebugView);
    if (keyWentDown(GLFW_KEY_F8))
        flip(shadowDebugView);
    if (keyWentDown(GLFW_KEY_F6))
        flip(normalMapping);
    if (keyWentDown(GLFW_KEY_F3))
        flip(wireframe);
    for (int presses = takePresses(GLFW_KEY_F1); presses > 0; --presses)
        flip(overlay);
    if (keyWentDown(GLFW_KEY_R))
        resetRequested = 1;
    shaderReloadRequested += takePresses(GLFW_KEY_F9);
    if (keyWentDown(GLFW_KEY_ENTER)) {
        flip(tour);
        if (cameras != nullptr) {
            cameras->tourTime = 0.0;
            cameras->resetAll();
        }
        // The mouse may have moved while the tour ran: the first flight
        // frame takes the cursor where it is as its centre, so the camera
        // just reset does not jump.
        keys->cursorCentred = false;
    }
    // F8 also switches culling, so the shadow debug view always comes with
    // culling off.
    if (keyWentDown(GLFW_KEY_F8))
        flip(frustumCulling);

    if (tour == 0 && cameras != nullptr) {
        if (keyWentDown(GLFW_KEY_PAGE_UP))
            cameras->selectNext();
        if (keyWentDown(GLFW_KEY_PAGE_DOWN))
            cameras->selectPrevious();
    }
    // M silences every sound for the rest of the run.
    if (keyWentDown(GLFW_KEY_M))
        audio().stopAllSources();

    endKeyFrame();
}
