#pragma once
// Rendering one frame.

void renderFrame();
