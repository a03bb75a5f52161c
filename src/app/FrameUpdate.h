#pragma once
// Advancing the scene by one frame before it is rendered.

// dt: the frame time in seconds.
void updateFrame(double dt);
