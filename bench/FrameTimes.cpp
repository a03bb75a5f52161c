// Frame times of the demo: the generated scene assembled at a chosen window
// size, then whole frames (update and render) from the tour's cameras at a
// fixed time step. Each frame ends with glFinish and is timed on the CPU's
// steady clock; GPU timer queries mean nothing on a software rasteriser.
//
//   thalvek-bench [WIDTH HEIGHT [FRAMES]]   (run from bin/ of the run-time tree)

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "support/DemoHarness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 1280;
    const int height = argc > 2 ? std::atoi(argv[2]) : 720;
    const int frames = argc > 3 ? std::atoi(argv[3]) : 20;
    if (width <= 0 || height <= 0 || frames <= 0) {
        std::fprintf(stderr, "usage: %s [WIDTH HEIGHT [FRAMES]]\n", argv[0]);
        return 2;
    }

    const auto loadStart = Clock::now();
    testing_support::DemoHarness demo(width, height);
    if (!demo.ok()) {
        std::fprintf(stderr, "no GL context (is DISPLAY set?)\n");
        return 1;
    }
    const double loadMs = millisecondsSince(loadStart);
    std::printf("window %dx%d, scene assembled in %.0f ms\n", width, height, loadMs);

    // A warm-up frame, then each camera the tour shows.
    demo.advance(1, 1.0 / 30.0);
    for (int camera = 0; camera <= cameras->count; ++camera) {
        cameras->index = camera;
        std::vector<double> times;
        for (int i = 0; i < frames; ++i) {
            const auto start = Clock::now();
            demo.advance(1, 1.0 / 30.0);
            times.push_back(millisecondsSince(start));
        }
        std::sort(times.begin(), times.end());
        const double mean = std::accumulate(times.begin(), times.end(), 0.0) / times.size();
        std::printf("camera %d: mean %.1f ms, median %.1f ms, min %.1f ms (%.1f frames per second)\n", camera,
                    mean, times[times.size() / 2], times.front(), 1000.0 / mean);
    }
    return 0;
}
