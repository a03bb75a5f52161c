#include "render/FrameRenderer.h"

void renderFrame() {}
