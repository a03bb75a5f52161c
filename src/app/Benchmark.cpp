#include "app/Benchmark.h"

#include "app/AppState.h"
#include "app/BenchmarkStats.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"
#include "app/FrameLoop.h"
#include "app/FrameStep.h"
#include "app/FrameTitle.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "app/Options.h"
#include "app/StopSignals.h"
#include "render/GL.h"

#include <GLFW/glfw3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string inQuotes(const fs::path& path) { return "'" + shownInMessage(path.string()) + "'"; }

// The rows go to a new file beside the named one, which is renamed over it
// when the run ends (early or not): a file of that name from an earlier run
// stays whole until then, and a run that fails leaves it as it was. A link
// at the name stays a link; the file it points to is replaced.
class PendingCsv {
public:
    explicit PendingCsv(const std::string& name) {
        std::error_code error;
        target_ = fs::weakly_canonical(fs::absolute(name), error);
        if (error)
            target_ = fs::absolute(name);
        const std::string stem = target_.filename().string() + "." + std::to_string(::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate =
                target_.parent_path() / (stem + (attempt == 0 ? "" : "-" + std::to_string(attempt)) + ".part");
            // 0666: the umask gives it the permissions of any new file.
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                file_ = ::fdopen(fd, "w");
                if (file_ == nullptr)
                    ::close(fd);
                path_ = candidate;
                if (file_ == nullptr)
                    fail("cannot write " + inQuotes(candidate) + ": " + std::strerror(errno));
                return;
            }
            if (errno != EEXIST) {
                error_ = "cannot write " + inQuotes(name) + ": " + std::strerror(errno);
                return;
            }
        }
        error_ = "cannot find a free name for a file in " + inQuotes(target_.parent_path());
    }
    ~PendingCsv() { fail({}); }
    PendingCsv(const PendingCsv&) = delete;
    PendingCsv& operator=(const PendingCsv&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    template <typename... Values> void write(const char* format, Values... values) {
        if (ok() && std::fprintf(file_, format, values...) < 0)
            fail("cannot write " + inQuotes(path_) + ": " + std::strerror(errno));
    }

    // Closes the file and renames it over the named one, with the
    // permissions that one had. False with error() set when it could not.
    bool putInPlace() {
        if (!ok())
            return false;
        std::FILE* file = std::exchange(file_, nullptr);
        // A full disk may show only when the last buffer is written.
        if (std::fclose(file) != 0) {
            fail("cannot write " + inQuotes(path_) + ": " + std::strerror(errno));
            return false;
        }
        std::error_code error;
        const fs::file_status earlier = fs::status(target_, error);
        if (fs::is_regular_file(earlier))
            fs::permissions(path_, earlier.permissions(), error);
        if (std::rename(path_.c_str(), target_.c_str()) != 0) {
            fail("cannot put the frame times in place of " + inQuotes(target_) + ": " + std::strerror(errno));
            return false;
        }
        path_.clear();
        return true;
    }

private:
    // Sets the error (unless empty) and removes what was written.
    void fail(const std::string& why) {
        if (error_.empty())
            error_ = why;
        if (file_ != nullptr)
            std::fclose(std::exchange(file_, nullptr));
        if (!path_.empty())
            ::unlink(path_.c_str());
        path_.clear();
    }

    fs::path target_;
    fs::path path_;
    std::FILE* file_ = nullptr;
    std::string error_;
};

// No key is held for the frame update: the light keys, F4 and F5 do
// nothing, and the tour never reads the mouse.
class NoHeldKeys final : public CameraInput {
public:
    bool isKeyDown(int) const override { return false; }
    glm::dvec2 cursorPosition() const override { return glm::dvec2(0.0); }
    glm::ivec2 windowSize() const override { return glm::ivec2(0); }
    void setCursorPosition(double, double) override {}
    bool hasFocus() const override { return false; }
};

// Escape alone reaches the key tables: every switch, F1 included, stays as
// it was at the start, so every run draws the same frames.
void onBenchmarkKey(GLFWwindow*, int key, int, int action, int) {
    if (key == GLFW_KEY_ESCAPE)
        recordKeyEvent(key, action);
}

std::string glString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

std::string cannotWriteFrameTimes(const std::string& path) {
    std::error_code error;
    // Through symbolic links: a link to a device is a device.
    const fs::file_status status = fs::status(path, error);
    if (status.type() != fs::file_type::not_found) {
        if (error)
            return "cannot look at " + inQuotes(path) + ": " + error.message();
        if (!fs::is_regular_file(status))
            return inQuotes(path) + " is not a regular file: give --benchmark-csv the name of a file to write";
        if (::access(path.c_str(), W_OK) != 0)
            return "cannot write " + inQuotes(path) + ": " + std::strerror(errno);
    }
    // Making the new file beside it is the sure test of the folder
    // (permissions, a read-only file system, a missing folder); it goes again
    // at once.
    const PendingCsv probe(path);
    return probe.error();
}

int runBenchmark(const Options& options) {
    std::unique_ptr<PendingCsv> csv;
    if (!options.benchmarkCsv.empty()) {
        csv = std::make_unique<PendingCsv>(options.benchmarkCsv);
        if (!csv->ok()) {
            std::fprintf(stderr, "thalvek: %s\n", csv->error().c_str());
            return kExitBenchmarkStopped;
        }
        csv->write("frame,tour_time_s,frame_time_ms,camera\n");
    }

    glfwSetKeyCallback(window, onBenchmarkKey);
    clearKeyTables();
    inputController->setInput(std::make_unique<NoHeldKeys>());
    // As Enter starts it: every camera in its initial pose, from 0 s.
    inputController->tour = 1;
    cameras->tourTime = 0.0;
    cameras->resetAll();

    std::vector<double> frameSeconds;
    double elapsed = 0.0;
    double dt = 0.0;
    bool stopped = false;
    // The start-up ends here; the first frame starts the tour at 0 s.
    double last = glfwGetTime();
    while (elapsed < options.benchmarkLength) {
        // A window minimised or resized under the run is still drawn into.
        followFramebufferSize();
        stepFrame(dt);
        const double tourTime = cameras->tourTime;
        const int camera = cameras->index;
        glfwSetWindowTitle(window, frameTitle(dt, cameras->current()->position).c_str());
        glfwSwapBuffers(window);
        glfwPollEvents();

        // From this frame's start to the next one's: the update, the passes,
        // the title, the swap and the events, as the demo's frame.
        const double now = glfwGetTime();
        dt = now - last;
        last = now;
        elapsed += dt;
        frameSeconds.push_back(dt);
        if (csv)
            csv->write("%zu,%.6f,%.3f,%d\n", frameSeconds.size() - 1, tourTime, dt * 1000.0, camera);

        // A stop that comes with the last frame leaves the run whole.
        if (elapsed < options.benchmarkLength &&
            (glfwWindowShouldClose(window) != 0 || stopSignalled() || escapeRequested(window))) {
            stopped = true;
            break;
        }
    }

    const bool written = csv == nullptr || csv->putInPlace();
    bool whole = !stopped;
    if (stopped)
        std::fprintf(stderr, "Benchmark stopped after %.1f s\n", elapsed);
    else {
        const BenchmarkSetting setting{glString(GL_RENDERER), glString(GL_VERSION), screenWidth, screenHeight,
                                       options.renderScale};
        std::fputs(benchmarkSummary(frameTimeStats(frameSeconds), setting).c_str(), stdout);
        // A summary that could not be written is no result.
        if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
            std::fprintf(stderr, "thalvek: cannot write to standard output: %s\n", std::strerror(errno));
            whole = false;
        }
    }
    if (!written) {
        std::fprintf(stderr, "thalvek: %s\n", csv->error().c_str());
        whole = false;
    }
    return whole ? 0 : kExitBenchmarkStopped;
}
