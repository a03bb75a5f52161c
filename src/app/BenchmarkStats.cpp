#include "app/BenchmarkStats.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

FrameTimeStats frameTimeStats(std::vector<double> frameSeconds) {
    FrameTimeStats stats;
    const std::size_t n = frameSeconds.size();
    if (n == 0)
        return stats;
    std::sort(frameSeconds.begin(), frameSeconds.end());
    stats.frames = n;
    stats.seconds = std::accumulate(frameSeconds.begin(), frameSeconds.end(), 0.0);
    stats.averageFps = stats.seconds > 0.0 ? static_cast<double>(n) / stats.seconds : 0.0;

    const std::size_t slowest = std::max<std::size_t>(1, n / 100);
    const double slowSeconds = std::accumulate(frameSeconds.end() - static_cast<std::ptrdiff_t>(slowest),
                                               frameSeconds.end(), 0.0);
    stats.onePercentLowFps = slowSeconds > 0.0 ? static_cast<double>(slowest) / slowSeconds : 0.0;

    // The smallest rank that has 99 % of the frames at or below it, in
    // integers: 0.99 * n in floating point lands either side of a whole
    // number.
    const std::size_t rank = (99 * n + 99) / 100;
    stats.percentile99Ms = frameSeconds[rank - 1] * 1000.0;
    stats.shortestMs = frameSeconds.front() * 1000.0;
    stats.longestMs = frameSeconds.back() * 1000.0;
    return stats;
}

std::string benchmarkSummary(const FrameTimeStats& stats, const BenchmarkSetting& setting) {
    std::string text;
    char line[256];
    auto add = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        text += line;
    };
    text += "Renderer: " + setting.renderer + "\n";
    text += "OpenGL version: " + setting.glVersion + "\n";
    add("Window: %dx%d\n", setting.width, setting.height);
    if (setting.renderScale)
        add("Render scale: %g\n", *setting.renderScale);
    add("Frames: %zu in %.3f s\n", stats.frames, stats.seconds);
    add("Average: %.2f fps\n", stats.averageFps);
    add("1%% low: %.2f fps\n", stats.onePercentLowFps);
    add("99th percentile frame time: %.2f ms\n", stats.percentile99Ms);
    add("Shortest frame time: %.2f ms\n", stats.shortestMs);
    add("Longest frame time: %.2f ms\n", stats.longestMs);
    return text;
}
