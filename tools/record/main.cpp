// thalvek-record: the demo's tour, picture and sound, as an MP4 file. It
// drives the program's own scene assembly, frame update and frame render at a
// fixed time step, whatever each frame costs to render, and mixes the sound
// on OpenAL's loopback device one frame's worth at a time; so on a machine
// that renders a few frames per second, the video still plays at full speed
// and in sync. The frames go to ffmpeg through a pipe (see Ffmpeg.h).

#include "Ffmpeg.h"
#include "FrameReadback.h"
#include "LoopbackSound.h"
#include "Mp4Tracks.h"
#include "OutputFiles.h"
#include "Progress.h"
#include "RecordOptions.h"

#include "app/AppState.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/FrameStep.h"
#include "app/FrameUpdate.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "app/SceneAssembly.h"
#include "app/Startup.h"
#include "render/GL.h"
#include "render/GLDebug.h"

#include <GLFW/glfw3.h>

#include <sys/resource.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace recorder;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// As a shell reports a process that a Ctrl-C or a polite kill ended.
constexpr int kExitInterrupted = 130;
constexpr int kExitTerminated = 143;

// The first stop signal that arrived, or 0.
volatile sig_atomic_t stopSignal = 0;
void requestStop(int signal) {
    if (stopSignal == 0)
        stopSignal = signal;
}

// Ctrl-C, a polite kill and a closed terminal stop the start-up between two
// of its steps, and the recording between two frames; the file is then
// finished with what was recorded. A broken pipe is seen as a failed write
// instead of ending the process.
void installStopHandling() {
    struct sigaction stop = {};
    stop.sa_handler = requestStop;
    stop.sa_flags = SA_RESTART;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    // Started with the hang-up ignored (nohup), it records on when the
    // terminal closes.
    struct sigaction hangUp = {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// A closed terminal ends the recorder as a polite kill does; a window closed
// under it, as a Ctrl-C.
int interruptedStatus() {
    return stopSignal == SIGTERM || stopSignal == SIGHUP ? kExitTerminated : kExitInterrupted;
}

int fail(const std::string& message, int status = kExitFailure) {
    std::fprintf(stderr, "thalvek-record: %s\n", message.c_str());
    return status;
}

// What the start-up made is released by the caller; the scratch folder goes
// with it.
int stoppedBeforeRecording() {
    const char* name = stopSignal == SIGINT ? "SIGINT" : stopSignal == SIGHUP ? "SIGHUP" : "SIGTERM";
    return fail(std::string("stopped by ") + name + " before the recording began; nothing written",
                interruptedStatus());
}

void printGlfwError(int code, const char* description) {
    // Without a window manager, a window reports a harmless iconify error.
    if (std::strstr(description, "iconify") == nullptr)
        std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

// Nothing held, and no focus: free flight keeps a fixed camera still, and
// whatever happens to the window cannot steer the recording.
class StillInput final : public CameraInput {
public:
    StillInput(int width, int height) : size_(width, height) {}
    bool isKeyDown(int) const override { return false; }
    glm::dvec2 cursorPosition() const override { return glm::dvec2(size_) / 2.0; }
    glm::ivec2 windowSize() const override { return size_; }
    void setCursorPosition(double, double) override {}
    bool hasFocus() const override { return false; }

private:
    glm::ivec2 size_;
};

// The program opens its data as "../Shader/..." and so on: it runs in bin/
// of its run-time tree, and the recorder lives in tools/ of the same tree.
bool enterRuntimeTree() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return false;
    const fs::path root = self.parent_path().parent_path();
    return fs::is_directory(root / "Shader") && ::chdir((root / "bin").c_str()) == 0;
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

struct Recording {
    long frames = 0;       // frames in the video
    bool interrupted = false;
    // Where the time went, on this thread: the program's frame (update,
    // passes, mix, swap) and the recording's part (read-back, the pipe to
    // ffmpeg, the samples file).
    double renderSeconds = 0.0;
    double recordSeconds = 0.0;
    std::string error;     // set when the recording failed
};

// The frame loop of the program at a fixed step: update, render, read back,
// mix, show. Frames before `range.first` are stepped through unrendered, so
// a recording that starts later sees the scene, the particles and the music
// exactly as a recording from the start would at that frame.
Recording recordFrames(const RecordOptions& options, const FrameRange& range, LoopbackSound& sound,
                       VideoEncoder* encoder, std::FILE* samples) {
    Recording result;
    const double dt = 1.0 / options.fps;
    const int rate = LoopbackSound::kSampleRate;
    long frame = 0; // on the timeline
    for (; frame < range.first; ++frame) {
        if (stopSignal != 0) {
            result.interrupted = true;
            return result;
        }
        updateFrame(dt);
        sound.mix(samplesOfFrame(frame, rate, options.fps));
    }

    std::optional<FrameReadback> readback;
    if (encoder != nullptr)
        readback.emplace(options.width, options.height);
    bool encoderGone = false;
    auto deliverOldest = [&] {
        const bool read = readback->deliverOldest([&](const void* pixels) {
            if (!encoder->writeFrame(pixels))
                encoderGone = true;
        });
        if (!read)
            result.error = "a frame could not be read back from GL";
        else if (encoderGone)
            result.error = "ffmpeg stopped taking frames";
        else
            ++result.frames;
        return result.error.empty();
    };

    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); };
    Progress progress(range.count, stdout);
    long rendered = 0;
    while (rendered < range.count) {
        if (stopSignal != 0 || glfwWindowShouldClose(window) != 0) {
            result.interrupted = true;
            progress.close();
            std::printf("Stopping: finishing the file with the %ld frames rendered\n", rendered);
            break;
        }
        auto started = Clock::now();
        stepFrame(dt);
        const std::vector<float>& mix = sound.mix(samplesOfFrame(frame++, rate, options.fps));
        result.renderSeconds += since(started);
        if (readback) {
            started = Clock::now();
            if (readback->full() && !deliverOldest())
                break;
            readback->capture();
            // The sound of every frame captured; each one reaches the video
            // below, so both streams end on the same frame.
            if (std::fwrite(mix.data(), sizeof(float), mix.size(), samples) != mix.size()) {
                result.error = std::string("cannot write the sound's samples: ") + std::strerror(errno);
                break;
            }
            result.recordSeconds += since(started);
        }
        started = Clock::now();
        glfwSwapBuffers(window);
        glfwPollEvents();
        result.renderSeconds += since(started);
        ++rendered;
        progress.update(rendered);
    }
    progress.close();
    const auto draining = Clock::now();
    while (result.error.empty() && readback && readback->pending() > 0)
        deliverOldest();
    result.recordSeconds += since(draining);
    if (encoder == nullptr)
        result.frames = rendered;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options)
        return fail(parsed.error + " (see --help)", kExitUsage);
    const RecordOptions options = *parsed.options;
    if (options.help) {
        std::cout << usageText();
        return 0;
    }
    const FrameRange range = frameRangeOf(options);
    // Before anything is made that a stop must remove.
    installStopHandling();

    // Everything that can be found wrong is found before the first frame.
    fs::path ffmpeg;
    fs::path output;
    std::optional<ScratchFolder> scratch;
    if (!options.noOutput) {
        ffmpeg = findOnPath("ffmpeg");
        if (ffmpeg.empty())
            return fail("ffmpeg is not on PATH; install it (Debian: apt-get install ffmpeg) and try again");
        output = fs::absolute(options.output);
        if (const auto why = cannotWriteOutput(output))
            return fail(*why);
        scratch.emplace();
        if (!scratch->ok())
            return fail(scratch->error());
    }
    if (!enterRuntimeTree())
        return fail("no run-time tree around this program (Shader/ beside its tools/ folder): build it with CMake");

    if (glfwInit() == GLFW_FALSE)
        return fail("no display to draw on: set DISPLAY, or record with scripts/record.sh, which starts a virtual one");
    glfwSetErrorCallback(printGlfwError);
    if (stopSignal != 0) {
        glfwTerminate();
        return stoppedBeforeRecording();
    }
    const std::optional<PictureLimits> limits = probePictureLimits();
    if (!limits) {
        glfwTerminate();
        return fail("this display offers no OpenGL 3.3 core context");
    }
    if (options.width > limits->width || options.height > limits->height) {
        glfwTerminate();
        return fail("--size " + sizeText(options.width, options.height) + ": beyond what this OpenGL draws (" +
                        sizeText(limits->width, limits->height) + " at most)",
                    kExitUsage);
    }

    glfwDefaultWindowHints();
    applyContextHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    glfwWindowHint(GLFW_FOCUS_ON_SHOW, GLFW_FALSE);
    window = glfwCreateWindow(options.width, options.height, "Thalvek", nullptr, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        return fail("no " + sizeText(options.width, options.height) + " window with an OpenGL 3.3 core context");
    }
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width != options.width || height != options.height) {
        glfwTerminate();
        return fail("the window came out " + sizeText(width, height) + ", not " +
                    sizeText(options.width, options.height) +
                    " (a smaller screen?); record on a virtual screen: scripts/record.sh with DISPLAY unset");
    }
    glfwMakeContextCurrent(window);
    if (!loadGLEntryPoints()) {
        glfwTerminate();
        return fail("Failed to initialize glew");
    }
    rtr::installDebugOutput();
    // Frames are made as fast as they render, never paced by the screen.
    glfwSwapInterval(0);
    screenWidth = options.width;
    screenHeight = options.height;
    renderScale = options.scale;

    LoopbackSound sound;
    if (!sound.ok()) {
        glfwTerminate();
        return fail(sound.error());
    }
    if (stopSignal != 0) {
        glfwTerminate();
        return stoppedBeforeRecording();
    }

    assembleScene();
    // The recording follows its options only: no key or mouse reaches it.
    glfwSetKeyCallback(window, nullptr);
    clearKeyTables();
    inputController->setInput(std::make_unique<StillInput>(options.width, options.height));
    if (options.camera) {
        if (*options.camera > cameras->count) {
            releaseScene();
            glfwTerminate();
            return fail("--camera " + std::to_string(*options.camera) + ": the scene's cameras are 0 to " +
                            std::to_string(cameras->count),
                        kExitUsage);
        }
        cameras->index = *options.camera;
    } else {
        // As Enter does on the first frame: the tour from its start, every
        // camera in its initial pose (which they still are).
        inputController->tour = 1;
        cameras->tourTime = 0.0;
    }

    fs::path video, samplesFile;
    std::unique_ptr<VideoEncoder> encoder;
    std::FILE* samples = nullptr;
    if (scratch) {
        video = *scratch / "video.mp4";
        samplesFile = *scratch / "sound.f32";
        encoder = std::make_unique<VideoEncoder>(ffmpeg, video, options.width, options.height, options.fps,
                                                 options.lossless);
        samples = std::fopen(samplesFile.c_str(), "wb");
        if (!encoder->started() || samples == nullptr) {
            const std::string why = !encoder->started()
                                        ? "cannot run " + ffmpeg.string() + ": " + encoder->failure()
                                        : "cannot write " + samplesFile.string() + ": " + std::strerror(errno);
            releaseScene();
            glfwTerminate();
            return fail(why);
        }
    }

    if (stopSignal != 0) {
        if (samples != nullptr)
            std::fclose(samples);
        releaseScene();
        glfwTerminate();
        return stoppedBeforeRecording();
    }

    std::printf("Recording %s at %d frames/s: %ld frames (%.2f s) from %.2f s of the %s%s\n",
                sizeText(options.width, options.height).c_str(), options.fps, range.count,
                static_cast<double>(range.count) / options.fps, static_cast<double>(range.first) / options.fps,
                options.camera ? ("timeline, camera " + std::to_string(*options.camera)).c_str() : "tour",
                options.noOutput ? ", writing nothing" : (" into " + options.output).c_str());
    std::fflush(stdout);

    const auto started = std::chrono::steady_clock::now();
    const Recording recording = recordFrames(options, range, sound, encoder.get(), samples);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    releaseScene();
    glfwTerminate();

    const int doneStatus = recording.interrupted ? interruptedStatus() : 0;
    const double perFrame = 1000.0 / std::max(1L, recording.frames);
    if (options.noOutput) {
        std::printf("Rendered %ld frames in %s: %.1f ms per frame; wrote nothing\n", recording.frames,
                    Progress::clock(seconds).c_str(), seconds * perFrame);
        return doneStatus;
    }
    const bool samplesWritten = std::fclose(samples) == 0;
    const int samplesError = errno;
    const bool encoded = encoder->finish();
    // From the first frame ffmpeg took, a failure keeps what was recorded:
    // the video stays playable up to where ffmpeg stopped (see
    // VideoEncoder), and the user's file stays as it was.
    auto failKeeping = [&](const std::string& why) {
        if (recording.frames == 0)
            return fail(why);
        scratch->keep();
        return fail(why + "; the recording is kept in " + scratch->path().string() + ": without its sound in " +
                    video.string() + ", its sound in " + samplesFile.string() +
                    " (raw 32-bit float samples, stereo, " + std::to_string(LoopbackSound::kSampleRate) + " Hz)");
    };
    if (recording.error.empty() && recording.frames == 0) {
        std::printf("Stopped before the first frame: nothing written\n");
        return doneStatus;
    }
    if (!recording.error.empty() || !encoded) {
        const std::string said = encoder->failure();
        return failKeeping((recording.error.empty() ? std::string("ffmpeg failed") : recording.error) +
                           (said.empty() ? "" : "; ffmpeg: " + said));
    }
    if (!samplesWritten)
        return failKeeping("cannot write the sound's samples into " + samplesFile.string() + ": " +
                           std::strerror(samplesError));
    // The output changes only here, in one rename, once the file is whole.
    // Until then a failure leaves it as it was, and keeps what was recorded.
    PendingOutput pending(output);
    std::string why = pending.ok() ? muxWithSound(ffmpeg, video, samplesFile, LoopbackSound::kSampleRate,
                                                  pending.path())
                                   : pending.error();
    // An ffmpeg that says it succeeded has not always written the file.
    if (why.empty())
        if (const auto wrong = notARecording(pending.path(), recording.frames))
            why = "it ended with status 0, but its file " + *wrong;
    if (why.empty())
        why = pending.putInPlace();
    if (!why.empty())
        return failKeeping("ffmpeg could not add the sound to " + output.string() + ": " + why);

    std::printf("%s %s: %ld frames (%.2f s) with sound, in %s\n",
                recording.interrupted ? "Stopped early; wrote" : "Wrote", options.output.c_str(), recording.frames,
                static_cast<double>(recording.frames) / options.fps, Progress::clock(seconds).c_str());
    // ffmpeg's own work does not show in this thread's times: it competes
    // for the same cores, so its processor time is given beside them.
    struct rusage children = {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    const double ffmpegSeconds = static_cast<double>(children.ru_utime.tv_sec + children.ru_stime.tv_sec) +
                                 (children.ru_utime.tv_usec + children.ru_stime.tv_usec) / 1e6;
    std::printf("Per frame: %.1f ms in all, %.1f ms rendering, %.1f ms reading back and writing; "
                "ffmpeg used %.1f ms of processor time\n",
                seconds * perFrame, recording.renderSeconds * perFrame, recording.recordSeconds * perFrame,
                ffmpegSeconds * perFrame);
    return doneStatus;
}
