#pragma once
// The key tables behind the switch keys: `keyState` (1 after a press event,
// 0 after a repeat or release) and `previousKeyState` (as it was at the end
// of the last frame), plus a latch of presses seen since the last frame.
//
// A key "goes down" in a frame on a rising edge of keyState, or when it was
// pressed since the last frame at all: at software-rendering frame rates a
// press and its release can both land between two polls, and that tap must
// still flip its switch once. Holding a key flips once; auto-repeat (which
// stores 0) never makes a new edge.

// The key callback's work: key codes outside 0-347 are ignored.
void recordKeyEvent(int key, int action);

// True when `key` went down since the last endKeyFrame().
bool keyWentDown(int key);

// Copies keyState into previousKeyState and clears the latch.
void endKeyFrame();

// Every table back to all zeros (start-up state).
void clearKeyTables();
