#pragma once
// The figures a benchmark run is compared by, from the real time of each of
// its frames: plain arithmetic on plain data, so that what the summary
// claims can be checked without a window.

#include <optional>
#include <string>
#include <vector>

struct FrameTimeStats {
    std::size_t frames = 0;
    double seconds = 0.0;          // all frames together
    double averageFps = 0.0;       // frames / seconds
    // The frame rate over the slowest 1 % of the frames (at least one): their
    // count over their time together, so one stall weighs as it felt.
    double onePercentLowFps = 0.0;
    double percentile99Ms = 0.0;   // nearest rank: no frame time is made up
    double shortestMs = 0.0;
    double longestMs = 0.0;
};

// From each frame's time in seconds; all zero without frames.
FrameTimeStats frameTimeStats(std::vector<double> frameSeconds);

// What the picture was drawn with and at: GL's renderer and version strings,
// the window's size in pixels, and the render scale where one applies.
struct BenchmarkSetting {
    std::string renderer;
    std::string glVersion;
    int width = 0;
    int height = 0;
    std::optional<double> renderScale;
};

// The summary printed at the end of a whole run, one figure a line.
std::string benchmarkSummary(const FrameTimeStats& stats, const BenchmarkSetting& setting);
