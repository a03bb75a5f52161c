#pragma once
// The frame loop: update, render, title, swap, poll, until the window is
// asked to close or Escape is down.
void runFrameLoop();
