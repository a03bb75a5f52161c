// The demo's profile: the time from process start to the first frame, split
// into its phases; then, from each of the scene's cameras at a chosen window
// size and a fixed time step, the median time of every pass of a frame and
// of the whole frame. Each pass ends with glFinish and is timed on the CPU's
// steady clock (GPU timer queries mean nothing on a software rasteriser).
//
// Every figure is also given as a multiple of a floor measured in the same
// run: the same frames with every scene object drawn by a plain textured
// program (a run-time tree whose lit program is bench/floor's pair), no
// shadows and no effects. Runs on different machines compare through it.
//
//   thalvek-bench [--csv FILE] [--pictures DIR] [WIDTH HEIGHT [FRAMES]]
//   (run from bin/ of the run-time tree)
//
// --csv writes one row per camera: the median milliseconds of every pass,
// of the whole frame and of the floor's whole frame. --pictures saves each
// camera's last frame, and the floor's, as PNG files, to see what was
// timed.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Campfire.h"
#include "render/FrameRenderer.h"
#include "render/PassProfile.h"
#include "render/StartupProfile.h"
#include "support/DemoHarness.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using rtr::Pass;

// As early as the bench can note it: before main, as static data is set up.
const Clock::time_point processStart = Clock::now();

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The medians of one camera's frames.
struct CameraFigures {
    std::array<double, rtr::kPassCount> passes{};
    double frame = 0.0;
    double scene() const { // the lit scene pass: its four parts
        return passes[static_cast<std::size_t>(Pass::SceneOpaque)] + passes[static_cast<std::size_t>(Pass::SceneFire)] +
               passes[static_cast<std::size_t>(Pass::SceneSky)] +
               passes[static_cast<std::size_t>(Pass::SceneTransparent)];
    }
};

struct PoolSizes {
    double flames = 0.0, smoke = 0.0;
};

// The fire brought to its steady state (two seconds of its own updates),
// a warm-up frame, then `frames` frames from each camera of the scene.
std::vector<CameraFigures> profileCameras(testing_support::DemoHarness& demo, int frames, PoolSizes* pools,
                                          const std::string& picturePrefix) {
    for (int i = 0; i < 60; ++i)
        campfire->update(1.0f / 30.0f);
    demo.advance(1, 1.0 / 30.0);
    std::vector<CameraFigures> figures;
    int sampled = 0;
    rtr::PassProfile::setEnabled(true);
    for (int camera = 0; camera <= cameras->count; ++camera) {
        cameras->index = camera;
        std::array<std::vector<double>, rtr::kPassCount> passTimes;
        std::vector<double> frameTimes;
        for (int i = 0; i < frames; ++i) {
            rtr::PassProfile::reset();
            const auto start = Clock::now();
            demo.advance(1, 1.0 / 30.0);
            frameTimes.push_back(millisecondsBetween(start, Clock::now()));
            for (std::size_t p = 0; p < rtr::kPassCount; ++p)
                passTimes[p].push_back(rtr::PassProfile::milliseconds(static_cast<Pass>(p)));
            if (pools != nullptr) {
                pools->flames += campfire->flames->count;
                pools->smoke += campfire->smoke->count;
                ++sampled;
            }
        }
        if (!picturePrefix.empty())
            testing_support::savePng(demo.readFrame(), picturePrefix + std::to_string(camera) + ".png");
        CameraFigures camerasFigures;
        for (std::size_t p = 0; p < rtr::kPassCount; ++p)
            camerasFigures.passes[p] = median(passTimes[p]);
        camerasFigures.frame = median(frameTimes);
        figures.push_back(camerasFigures);
    }
    rtr::PassProfile::setEnabled(false);
    if (pools != nullptr && sampled > 0) {
        pools->flames /= sampled;
        pools->smoke /= sampled;
    }
    return figures;
}

// The same frames, each scene object drawn by the plain textured pair in
// place of the lit program, with shadows and effects off.
std::vector<CameraFigures> profileFloor(int width, int height, int frames, const std::string& picturePrefix) {
    const std::filesystem::path floor(THALVEK_BENCH_FLOOR_DIR);
    testing_support::ScratchRuntimeTree tree(
        {{"PhongSMap.vert", floor / "PhongSMap.vert"}, {"PhongSMap.frag", floor / "PhongSMap.frag"}});
    testing_support::DemoHarness demo(width, height);
    inputController->shadows = 0;
    frameRenderer->effectsEnabled = false;
    return profileCameras(demo, frames, nullptr, picturePrefix);
}

void printRow(const char* label, const std::vector<double>& values, double divisor, const char* format) {
    std::printf("%-8s", label);
    for (double value : values)
        std::printf(format, value / divisor);
    std::printf("\n");
}

std::vector<double> rowOf(const CameraFigures& figures, double floor) {
    std::vector<double> row(figures.passes.begin(), figures.passes.end());
    row.push_back(figures.scene());
    row.push_back(figures.frame);
    row.push_back(floor);
    return row;
}

bool writeCsv(const std::string& path, const std::vector<CameraFigures>& lit, const std::vector<CameraFigures>& floor) {
    std::ofstream csv(path);
    csv << "camera";
    for (std::size_t p = 0; p < rtr::kPassCount; ++p)
        csv << "," << rtr::passName(static_cast<Pass>(p));
    csv << ",frame,floor\n";
    for (std::size_t camera = 0; camera < lit.size(); ++camera) {
        csv << camera;
        for (double value : lit[camera].passes)
            csv << "," << value;
        csv << "," << lit[camera].frame << "," << floor[camera].frame << "\n";
    }
    return static_cast<bool>(csv);
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--csv FILE] [--pictures DIR] [WIDTH HEIGHT [FRAMES]]\n", program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string csvPath, pictureFolder;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc)
            csvPath = argv[++i];
        else if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc)
            pictureFolder = argv[++i];
        else if (argv[i][0] != '-')
            numbers.push_back(std::atoi(argv[i]));
        else
            return usage(argv[0]);
    }
    if (numbers.size() == 1 || numbers.size() > 3)
        return usage(argv[0]);
    const int width = numbers.size() >= 2 ? numbers[0] : 1280;
    const int height = numbers.size() >= 2 ? numbers[1] : 720;
    const int frames = numbers.size() == 3 ? numbers[2] : 20;
    if (width <= 0 || height <= 0 || frames <= 0)
        return usage(argv[0]);
    const std::string loadBefore = loadAverage();
    // Absolute: the floor's run-time tree moves the working directory.
    std::string litPictures, floorPictures;
    if (!pictureFolder.empty()) {
        std::filesystem::create_directories(pictureFolder);
        const std::filesystem::path folder = std::filesystem::absolute(pictureFolder);
        litPictures = (folder / "camera").string();
        floorPictures = (folder / "floor-camera").string();
    }

    std::vector<CameraFigures> lit;
    PoolSizes pools;
    {
        // Start-up, as the program goes through it: context, assembly,
        // first frame.
        rtr::StartupProfile::setEnabled(true);
        Clock::time_point contextReady;
        testing_support::DemoHarness demo(width, height, [&] { contextReady = Clock::now(); });
        if (!demo.ok()) {
            std::fprintf(stderr, "no GL context (is DISPLAY set?)\n");
            return 1;
        }
        const auto assembled = Clock::now();
        rtr::StartupProfile::setEnabled(false);
        demo.advance(1, 1.0 / 30.0);
        const auto firstFrame = Clock::now();

        std::printf("Thalvek profile: window %dx%d, %d frames per camera, load average %s\n\n", width, height,
                    frames, loadBefore.c_str());
        std::printf("start-up to the first frame: %.0f ms\n", millisecondsBetween(processStart, firstFrame));
        std::printf("  %-14s %6.0f ms\n", "context", millisecondsBetween(processStart, contextReady));
        double phases = 0.0;
        for (std::size_t p = 0; p < rtr::kStartupPhaseCount; ++p) {
            const double ms = rtr::StartupProfile::milliseconds(static_cast<rtr::StartupPhase>(p));
            phases += ms;
            std::printf("  %-14s %6.0f ms\n", rtr::startupPhaseName(static_cast<rtr::StartupPhase>(p)), ms);
        }
        std::printf("  %-14s %6.0f ms\n", "rest of setup", millisecondsBetween(contextReady, assembled) - phases);
        std::printf("  %-14s %6.0f ms\n\n", "first frame", millisecondsBetween(assembled, firstFrame));
        std::fflush(stdout);

        lit = profileCameras(demo, frames, &pools, litPictures);
    }
    const std::vector<CameraFigures> floor = profileFloor(width, height, frames, floorPictures);

    std::vector<std::string> columns;
    for (std::size_t p = 0; p < rtr::kPassCount; ++p)
        columns.emplace_back(rtr::passName(static_cast<Pass>(p)));
    for (const char* extra : {"scene", "frame", "floor"})
        columns.emplace_back(extra);
    const auto printHeader = [&] {
        std::printf("%-8s", "camera");
        for (const std::string& column : columns)
            std::printf(" %11s", column.c_str());
        std::printf("\n");
    };

    std::printf("median milliseconds per pass; scene = opaque + fire + sky + transparent, the lit scene pass;\n"
                "floor = the same frames drawn with a plain textured program, no shadows, no effects:\n\n");
    printHeader();
    for (std::size_t camera = 0; camera < lit.size(); ++camera)
        printRow(std::to_string(camera).c_str(), rowOf(lit[camera], floor[camera].frame), 1.0, " %11.1f");
    std::printf("\nthe same as multiples of the floor:\n\n");
    printHeader();
    for (std::size_t camera = 0; camera < lit.size(); ++camera)
        printRow(std::to_string(camera).c_str(), rowOf(lit[camera], floor[camera].frame), floor[camera].frame,
                 " %11.2f");
    std::printf("\ncampfire pools over those frames: %.1f flames, %.1f smoke puffs on average\n", pools.flames,
                pools.smoke);
    std::printf("load average before %s, after %s\n", loadBefore.c_str(), loadAverage().c_str());

    if (!csvPath.empty() && !writeCsv(csvPath, lit, floor)) {
        std::fprintf(stderr, "could not write %s\n", csvPath.c_str());
        return 1;
    }
    return 0;
}
