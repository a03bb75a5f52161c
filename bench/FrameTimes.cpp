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
// The floor's demo runs in a child process, each of its frames right after
// the lit demo's, so that a change in the machine's load weighs on both.
//
//   thalvek-bench [--csv FILE] [--pictures DIR] [--overlay] [--cpu-clock] [WIDTH HEIGHT [FRAMES]]
//   (run from bin/ of the run-time tree)
//
// --csv writes one row per camera: the median milliseconds of every pass,
// of the whole frame and of the floor's whole frame. --pictures saves each
// camera's last frame, and the floor's, as PNG files, to see what was
// timed. --overlay also times whole frames with the F1 overlay hidden and
// showing, alternately, and gives what showing it costs. --cpu-clock times
// the passes and frames on the process's CPU clock instead (start-up stays
// on the wall clock): on a machine shared with other work, what a software
// rasteriser's frame costs, less disturbed by the others' turns.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "app/SceneAssembly.h"
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

#include <sys/wait.h>
#include <unistd.h>

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

// What one frame took, pass by pass and whole.
struct FrameSample {
    std::array<double, rtr::kPassCount> passes{};
    double frame = 0.0;
};

// The fire brought to its steady state (two seconds of its own updates) and
// a warm-up frame, as both demos start their timed frames.
void warmUp(testing_support::DemoHarness& demo) {
    for (int i = 0; i < 60; ++i)
        campfire->update(1.0f / 30.0f);
    demo.advance(1, 1.0 / 30.0);
}

// One frame from `camera`, with every pass timed.
FrameSample timeFrame(testing_support::DemoHarness& demo, int camera) {
    cameras->index = camera;
    rtr::PassProfile::setEnabled(true);
    rtr::PassProfile::reset();
    FrameSample sample;
    const double start = rtr::PassProfile::now();
    demo.advance(1, 1.0 / 30.0);
    sample.frame = rtr::PassProfile::now() - start;
    rtr::PassProfile::setEnabled(false);
    for (std::size_t p = 0; p < rtr::kPassCount; ++p)
        sample.passes[p] = rtr::PassProfile::milliseconds(static_cast<Pass>(p));
    return sample;
}

// One whole frame from `camera` with the overlay hidden or showing, timed
// as the program runs it: no glFinish between the passes.
double timeWholeFrame(testing_support::DemoHarness& demo, int camera, bool overlay) {
    cameras->index = camera;
    inputController->overlay = overlay ? 1 : 0;
    const auto start = Clock::now();
    demo.advance(1, 1.0 / 30.0);
    const double ms = millisecondsBetween(start, Clock::now());
    inputController->overlay = 0;
    return ms;
}

// Each camera's frames in pairs, hidden and showing, the order changing from
// pair to pair, so that a change in the machine's load weighs on both.
struct OverlayCost {
    std::vector<std::vector<double>> hidden, showing; // per camera
    std::vector<std::vector<double>> drawing;         // the overlay's own drawing, between two glFinish
};

// The overlay drawn once more over the last frame, on its own.
double timeOverlayDrawing(testing_support::DemoHarness& demo) {
    inputController->overlay = 1;
    glFinish();
    const auto start = Clock::now();
    demo.overlay().draw(1.0 / 30.0);
    glFinish();
    const double ms = millisecondsBetween(start, Clock::now());
    inputController->overlay = 0;
    return ms;
}

OverlayCost measureOverlayCost(testing_support::DemoHarness& demo, int frames) {
    timeWholeFrame(demo, 0, true); // ImGui's font and program are made at its first frame
    OverlayCost cost;
    for (int camera = 0; camera <= cameras->count; ++camera) {
        std::vector<double> hidden, showing, drawing;
        for (int i = 0; i < frames; ++i) {
            const bool showingFirst = i % 2 == 1;
            (showingFirst ? showing : hidden).push_back(timeWholeFrame(demo, camera, showingFirst));
            (showingFirst ? hidden : showing).push_back(timeWholeFrame(demo, camera, !showingFirst));
            drawing.push_back(timeOverlayDrawing(demo));
        }
        cost.hidden.push_back(hidden);
        cost.showing.push_back(showing);
        cost.drawing.push_back(drawing);
    }
    return cost;
}

void printOverlayCost(const OverlayCost& cost) {
    std::printf("\nthe F1 overlay: whole frames (no glFinish between passes), hidden and showing in pairs;\n"
                "median milliseconds of each, of what showing added within a pair, and of the overlay's\n"
                "drawing alone (between two glFinish), also as a share of the hidden frame:\n\n");
    std::printf("%-8s %11s %11s %11s %11s %11s %11s\n", "camera", "hidden", "showing", "added ms", "added",
                "drawing", "share");
    std::vector<double> allHidden, allShowing, allDrawing;
    const auto row = [](const std::string& label, const std::vector<double>& hidden,
                        const std::vector<double>& showing, const std::vector<double>& drawing) {
        std::vector<double> added(hidden.size()), relative(hidden.size());
        for (std::size_t i = 0; i < hidden.size(); ++i) {
            added[i] = showing[i] - hidden[i];
            relative[i] = added[i] / hidden[i];
        }
        std::printf("%-8s %11.1f %11.1f %+11.1f %+10.1f%% %11.2f %10.2f%%\n", label.c_str(), median(hidden),
                    median(showing), median(added), 100.0 * median(relative), median(drawing),
                    100.0 * median(drawing) / median(hidden));
    };
    for (std::size_t camera = 0; camera < cost.hidden.size(); ++camera) {
        row(std::to_string(camera), cost.hidden[camera], cost.showing[camera], cost.drawing[camera]);
        allHidden.insert(allHidden.end(), cost.hidden[camera].begin(), cost.hidden[camera].end());
        allShowing.insert(allShowing.end(), cost.showing[camera].begin(), cost.showing[camera].end());
        allDrawing.insert(allDrawing.end(), cost.drawing[camera].begin(), cost.drawing[camera].end());
    }
    row("all", allHidden, allShowing, allDrawing);
}

// The floor runs in a child process of its own, with its own context and
// run-time tree (the demo's state is program-wide, so two demos cannot share
// a process), and renders each of its frames right after the same frame of
// the lit demo: both halves of a figure see the same load on the machine.
class FloorProcess {
public:
    enum class Command : int { WarmUp, Frame, Picture, Quit };

    // Forks; call before anything makes a GL context.
    FloorProcess(int width, int height, std::string picturePrefix) {
        int toChild[2], toParent[2];
        if (::pipe(toChild) != 0 || ::pipe(toParent) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            ::close(toChild[1]);
            ::close(toParent[0]);
            serve(toChild[0], toParent[1], width, height, picturePrefix);
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(toParent[1]);
        commands_ = toChild[1];
        replies_ = toParent[0];
    }

    ~FloorProcess() {
        if (child_ <= 0)
            return;
        send(Command::Quit, 0);
        ::close(commands_);
        ::close(replies_);
        int status = 0;
        ::waitpid(child_, &status, 0);
    }

    FloorProcess(const FloorProcess&) = delete;
    FloorProcess& operator=(const FloorProcess&) = delete;

    // Sets the floor's demo up; false when it has no GL context.
    bool start() {
        bool ready = false;
        return child_ > 0 && send(Command::WarmUp, 0) && readAll(replies_, &ready, sizeof ready) && ready;
    }

    bool frame(int camera, FrameSample& sample) {
        return send(Command::Frame, camera) && readAll(replies_, &sample, sizeof sample);
    }

    void picture(int camera) {
        bool done = false;
        if (send(Command::Picture, camera))
            readAll(replies_, &done, sizeof done);
    }

private:
    static bool readAll(int fd, void* data, std::size_t size) {
        auto* bytes = static_cast<char*>(data);
        while (size > 0) {
            const ssize_t n = ::read(fd, bytes, size);
            if (n <= 0)
                return false;
            bytes += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    static bool writeAll(int fd, const void* data, std::size_t size) {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd, bytes, size);
            if (n <= 0)
                return false;
            bytes += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    bool send(Command command, int camera) {
        const int message[2] = {static_cast<int>(command), camera};
        return writeAll(commands_, message, sizeof message);
    }

    // The child: the scene drawn by the plain textured pair in place of the
    // lit program, with shadows and effects off.
    static void serve(int commands, int replies, int width, int height, const std::string& picturePrefix) {
        int message[2];
        if (!readAll(commands, message, sizeof message) || message[0] != static_cast<int>(Command::WarmUp))
            return;
        const std::filesystem::path floor(THALVEK_BENCH_FLOOR_DIR);
        testing_support::ScratchRuntimeTree tree(
            {{"PhongSMap.vert", floor / "PhongSMap.vert"}, {"PhongSMap.frag", floor / "PhongSMap.frag"}});
        testing_support::DemoHarness demo(width, height);
        const bool ready = demo.ok();
        if (ready) {
            inputController->shadows = 0;
            frameRenderer->effectsEnabled = false;
            warmUp(demo);
        }
        if (!writeAll(replies, &ready, sizeof ready) || !ready)
            return;
        while (readAll(commands, message, sizeof message)) {
            const auto command = static_cast<Command>(message[0]);
            if (command == Command::Frame) {
                const FrameSample sample = timeFrame(demo, message[1]);
                writeAll(replies, &sample, sizeof sample);
            } else if (command == Command::Picture) {
                if (!picturePrefix.empty())
                    testing_support::savePng(demo.readFrame(), picturePrefix + std::to_string(message[1]) + ".png");
                const bool done = true;
                writeAll(replies, &done, sizeof done);
            } else {
                return;
            }
        }
    }

    pid_t child_ = -1;
    int commands_ = -1;
    int replies_ = -1;
};

CameraFigures mediansOf(const std::vector<FrameSample>& samples) {
    CameraFigures figures;
    std::vector<double> values(samples.size());
    for (std::size_t p = 0; p < rtr::kPassCount; ++p) {
        for (std::size_t i = 0; i < samples.size(); ++i)
            values[i] = samples[i].passes[p];
        figures.passes[p] = median(values);
    }
    for (std::size_t i = 0; i < samples.size(); ++i)
        values[i] = samples[i].frame;
    figures.frame = median(values);
    return figures;
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
    std::fprintf(stderr, "usage: %s [--csv FILE] [--pictures DIR] [--overlay] [--cpu-clock] [WIDTH HEIGHT [FRAMES]]\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string csvPath, pictureFolder;
    bool overlayCost = false;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc)
            csvPath = argv[++i];
        else if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc)
            pictureFolder = argv[++i];
        else if (std::strcmp(argv[i], "--overlay") == 0)
            overlayCost = true;
        else if (std::strcmp(argv[i], "--cpu-clock") == 0)
            rtr::PassProfile::setCpuClock(true); // before the floor's process forks
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

    // The floor's process first, while this one has no context yet.
    FloorProcess floorProcess(width, height, floorPictures);

    std::vector<CameraFigures> lit, floor;
    PoolSizes pools;
    OverlayCost overlay;
    {
        // Start-up, as the program goes through it: context, assembly,
        // first frame.
        rtr::StartupProfile::setEnabled(true);
        startReadingScene();
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

        if (!floorProcess.start()) {
            std::fprintf(stderr, "the floor's demo did not start\n");
            return 1;
        }
        warmUp(demo);
        // Each lit frame, then the same frame of the floor.
        int sampled = 0;
        for (int camera = 0; camera <= cameras->count; ++camera) {
            std::vector<FrameSample> litSamples(frames), floorSamples(frames);
            for (int i = 0; i < frames; ++i) {
                litSamples[i] = timeFrame(demo, camera);
                pools.flames += campfire->flames->count;
                pools.smoke += campfire->smoke->count;
                ++sampled;
                if (!floorProcess.frame(camera, floorSamples[i])) {
                    std::fprintf(stderr, "the floor's demo stopped\n");
                    return 1;
                }
            }
            if (!litPictures.empty())
                testing_support::savePng(demo.readFrame(), litPictures + std::to_string(camera) + ".png");
            floorProcess.picture(camera);
            lit.push_back(mediansOf(litSamples));
            floor.push_back(mediansOf(floorSamples));
        }
        pools.flames /= sampled;
        pools.smoke /= sampled;
        if (overlayCost)
            overlay = measureOverlayCost(demo, frames);
    }

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

    std::printf("median milliseconds per pass%s; scene = opaque + fire + sky + transparent, the lit scene pass;\n"
                "floor = the same frames drawn with a plain textured program, no shadows, no effects:\n\n",
                rtr::PassProfile::cpuClock() ? " (the process's CPU time)" : "");
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
    if (overlayCost)
        printOverlayCost(overlay);
    std::printf("load average before %s, after %s\n", loadBefore.c_str(), loadAverage().c_str());

    if (!csvPath.empty() && !writeCsv(csvPath, lit, floor)) {
        std::fprintf(stderr, "could not write %s\n", csvPath.c_str());
        return 1;
    }
    return 0;
}
