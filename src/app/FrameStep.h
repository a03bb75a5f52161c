#pragma once
// One frame as the program runs it: the GL state every frame starts from,
// the frame update, and the frame's passes. The frame loop, the recorder,
// the test harness and the benchmark all step through here, so what the
// tests and the benchmark measure is the frame users see.

// The reset, the update by `dt` seconds, the passes.
void stepFrame(double dt);

// The reset and the passes without an update: the current state's picture
// again.
void redrawFrame();
