// Frame times of the demo: the generated scene assembled at a chosen window
// size, then whole frames (update and render) from each of the scene's
// cameras at a fixed time step, with the median time of every pass. Each
// pass and each frame ends with glFinish and is timed on the CPU's steady
// clock; GPU timer queries mean nothing on a software rasteriser. The last
// columns are what the water costs (a whole frame over the same frame
// without its mirrored pass and water draws) and the campfire's share of
// the frame; after the table come the campfire's pool sizes and the cost of
// its update on the CPU alone.
//
//   thalvek-bench [WIDTH HEIGHT [FRAMES]]   (run from bin/ of the run-time tree)

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "effects/Campfire.h"
#include "render/PassProfile.h"
#include "support/DemoHarness.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    std::printf("window %dx%d, scene assembled in %.0f ms, %d frames per camera\n", width, height, loadMs, frames);
    std::printf("median milliseconds per pass and per whole frame:\n\n");
    std::printf("%-8s", "camera");
    for (std::size_t p = 0; p < rtr::kPassCount; ++p)
        std::printf(" %11s", rtr::passName(static_cast<rtr::Pass>(p)));
    std::printf(" %11s %7s %7s %7s\n", "frame", "fps", "water x", "fire %");

    // The fire is brought to its steady state first (two seconds of its
    // own updates), then a warm-up frame, then each camera of the scene.
    for (int i = 0; i < 60; ++i)
        campfire->update(1.0f / 30.0f);
    demo.advance(1, 1.0 / 30.0);
    double flamesSum = 0.0, smokeSum = 0.0;
    int sampledFrames = 0;
    rtr::PassProfile::setEnabled(true);
    for (int camera = 0; camera <= cameras->count; ++camera) {
        cameras->index = camera;
        std::array<std::vector<double>, rtr::kPassCount> passTimes;
        std::vector<double> frameTimes, waterRatios;
        for (int i = 0; i < frames; ++i) {
            rtr::PassProfile::reset();
            const auto start = Clock::now();
            demo.advance(1, 1.0 / 30.0);
            const double frame = millisecondsSince(start);
            frameTimes.push_back(frame);
            for (std::size_t p = 0; p < rtr::kPassCount; ++p)
                passTimes[p].push_back(rtr::PassProfile::milliseconds(static_cast<rtr::Pass>(p)));
            flamesSum += campfire->flames->count;
            smokeSum += campfire->smoke->count;
            ++sampledFrames;
            const double water = rtr::PassProfile::milliseconds(rtr::Pass::Reflection) +
                                 rtr::PassProfile::milliseconds(rtr::Pass::Water);
            waterRatios.push_back(frame / (frame - water));
        }
        std::printf("%-8d", camera);
        for (const auto& times : passTimes)
            std::printf(" %11.1f", median(times));
        const double frame = median(frameTimes);
        double fire = 0.0; // the campfire's three draws
        for (rtr::Pass pass : {rtr::Pass::Particles, rtr::Pass::FireMask, rtr::Pass::Haze})
            fire += median(passTimes[static_cast<std::size_t>(pass)]);
        std::printf(" %11.1f %7.1f %7.2f %7.1f\n", frame, 1000.0 / frame, median(waterRatios), 100.0 * fire / frame);
    }
    rtr::PassProfile::setEnabled(false);
    std::printf("\ncampfire pools over those frames: %.1f flames, %.1f smoke puffs on average\n",
                flamesSum / sampledFrames, smokeSum / sampledFrames);

    // The particle update on the CPU (emitter, advance, upload, light),
    // part of the "update" figure above, timed alone: too short for the
    // per-pass timer, which adds a glFinish on each side.
    constexpr int kUpdates = 3000;
    std::vector<double> updateTimes;
    updateTimes.reserve(kUpdates);
    for (int i = 0; i < kUpdates; ++i) {
        const auto start = Clock::now();
        campfire->update(1.0f / 30.0f);
        updateTimes.push_back(millisecondsSince(start));
    }
    glFinish();
    double total = 0.0;
    for (double t : updateTimes)
        total += t;
    std::printf("campfire update on the CPU: median %.4f ms, mean %.4f ms over %d updates\n", median(updateTimes),
                total / kUpdates, kUpdates);
    return 0;
}
