#include "app/FrameStep.h"

#include "app/FrameUpdate.h"
#include "render/FrameRenderer.h"
#include "render/GL.h"

namespace {

// Whatever ran between two frames (the overlay, a screenshot, a test),
// each frame starts with the depth test at GL_LESS and back faces culled.
void resetFrameState() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
}

} // namespace

void stepFrame(double dt) {
    resetFrameState();
    updateFrame(dt);
    renderFrame();
}

void redrawFrame() {
    resetFrameState();
    renderFrame();
}
