#include "app/KeyTable.h"

#include "app/AppState.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {
unsigned char pressedSinceLastFrame[kKeyTableSize] = {};
int pressCount[kKeyTableSize] = {};

bool inTable(int key) { return key >= 0 && key < kKeyTableSize; }
} // namespace

void recordKeyEvent(int key, int action) {
    if (!inTable(key))
        return;
    keyState[key] = action == GLFW_PRESS ? 1 : 0;
    if (action == GLFW_PRESS) {
        pressedSinceLastFrame[key] = 1;
        ++pressCount[key];
    }
}

bool keyWentDown(int key) {
    if (!inTable(key))
        return false;
    return (previousKeyState[key] == 0 && keyState[key] != 0) || pressedSinceLastFrame[key] != 0;
}

int takePresses(int key) {
    if (!inTable(key))
        return 0;
    return std::exchange(pressCount[key], 0);
}

void endKeyFrame() {
    std::copy(std::begin(keyState), std::end(keyState), std::begin(previousKeyState));
    std::fill(std::begin(pressedSinceLastFrame), std::end(pressedSinceLastFrame), 0);
}

void clearKeyTables() {
    std::fill(std::begin(keyState), std::end(keyState), 0);
    std::fill(std::begin(previousKeyState), std::end(previousKeyState), 0);
    std::fill(std::begin(pressedSinceLastFrame), std::end(pressedSinceLastFrame), 0);
    std::fill(std::begin(pressCount), std::end(pressCount), 0);
}
