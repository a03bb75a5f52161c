#pragma once
// Ctrl-C (SIGINT), a polite kill (SIGTERM) and the closing of the terminal
// it was started from (SIGHUP) close the demo the way Escape does: the frame loop ends and the scene and the sound device are released,
// so that whatever the device writes (OpenAL Soft's wave backend finishes its
// WAV header on closing) is complete. A second such signal ends the process
// at once, for a program that no longer reaches the end of a frame.
//
// The handler only sets a flag, which the frame loop reads once per frame.
// A loop that blocks waiting for events must wake up to read it (wait with a
// timeout): the handler cannot post an event, as no GLFW call is safe inside
// a signal handler.

// Installs the handler for the three signals, except for a signal the
// program was started with ignored (a job started in the background of a
// script must not take the Ctrl-C meant for the script, and one started
// with nohup must outlive its terminal).
void installStopSignals();

// True once SIGINT, SIGTERM or SIGHUP has arrived.
bool stopSignalled();
