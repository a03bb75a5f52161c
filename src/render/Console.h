#pragma once
// The console side of a fatal start-up failure: the message lines on standard
// output, the pause that keeps a console window open, and exit code -1.

#include <initializer_list>
#include <string_view>

namespace rtr {

// Stands in for the Windows console command `command` ("PAUSE" or "Pause").
// On Windows it runs the command. Elsewhere it waits for Enter, but only when
// standard input is a terminal, so scripts, tests and CI never hang on it.
void consolePause(const char* command);

// Writes each line to standard output with a line end and a flush, pauses
// with `command`, and ends the process with exit(-1).
[[noreturn]] void fatalExit(std::initializer_list<std::string_view> lines,
                            const char* command = "PAUSE");

} // namespace rtr
