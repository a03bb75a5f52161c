#pragma once
// The user's benchmark: the camera tour played once from its start, in real
// time, through the same frame step as the demo, with the real time of every
// frame kept. The tour advances by each frame's measured time, so a slow
// machine draws fewer frames of the same tour rather than a slower tour.
// Only Escape, the window's closing and a stop signal reach it; they end it
// early, keeping the rows written so far.

#include <string>

struct Options;

// The exit status of a benchmark that was stopped before its end, or whose
// summary or rows could not be written.
inline constexpr int kExitBenchmarkStopped = 1;

// Why the frame times cannot be written to `path`, in one line (it must be a
// regular file, or not there yet, in a folder that takes a new file); empty
// when they can. Nothing at `path` is changed.
std::string cannotWriteFrameTimes(const std::string& path);

// After the scene is assembled, in place of the frame loop: the tour for
// `options.benchmarkLength` seconds, the summary on standard output, the
// rows into `options.benchmarkCsv`. Returns the exit status.
int runBenchmark(const Options& options);
