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
//
// F1, F9, F11 and F12 act once per press instead, however many presses
// arrive between two frames (a fast double F11 leaves the window as it
// was, three F12 save three files): the callback counts their presses, and
// whoever acts on one of those keys takes its count.

// The key callback's work: key codes outside 0-347 are ignored.
void recordKeyEvent(int key, int action);

// True when `key` went down since the last endKeyFrame().
bool keyWentDown(int key);

// The presses of `key` since it was last taken, and none after.
int takePresses(int key);

// Copies keyState into previousKeyState and clears the latch.
void endKeyFrame();

// Every table and count back to zero (start-up state).
void clearKeyTables();
