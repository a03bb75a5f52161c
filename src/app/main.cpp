// Thalvek: a night clearing with a campfire and a pool. The whole life of the
// process: the command line, window and context, the scene built once, the
// frame loop (or the benchmark), and the release of the scene.

#include "app/AppState.h"
#include "app/Benchmark.h"
#include "app/FrameLoop.h"
#include "app/Options.h"
#include "app/SceneAssembly.h"
#include "app/Startup.h"
#include "app/StopSignals.h"
#include "app/WindowMode.h"
#include "render/Console.h"
#include "render/GL.h"
#include "render/GLDebug.h"

#include <GLFW/glfw3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

void printGlfwError(int code, const char* description) {
    std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
}

// A command line that only the display could judge: nothing was shown.
int refuseAfterInit(const std::string& problem) {
    glfwTerminate();
    std::cerr << refusal(problem) << std::flush;
    return kExitUsage;
}

// --help and --version: text that could not be written (a full disk, a
// closed output) is a failure, not an answer.
int answer(const CommandLine& commandLine) {
    if (!commandLine.out.empty()) {
        std::fwrite(commandLine.out.data(), 1, commandLine.out.size(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
            std::fprintf(stderr, "thalvek: cannot write to standard output: %s\n", std::strerror(errno));
            return 1;
        }
    }
    std::fputs(commandLine.err.c_str(), stderr);
    std::fflush(stderr);
    return commandLine.exitStatus;
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.exitNow)
        return answer(commandLine);
    const Options& options = commandLine.options;
    // A benchmark whose frame times could not be kept is not started.
    if (options.benchmark && !options.benchmarkCsv.empty())
        if (const std::string why = cannotWriteFrameTimes(options.benchmarkCsv); !why.empty()) {
            std::cerr << refusal(why) << std::flush;
            return kExitUsage;
        }
    installStopSignals();

    // The scene file needs no window: it is read while the window and the
    // context are made.
    startReadingScene();

    glfwSetErrorCallback(printGlfwError);
    if (glfwInit() == GLFW_FALSE)
        rtr::fatalExit({"GLFW failed"}, "Pause");

    applyContextHints();
    std::string problem;
    GLFWmonitor* monitor = chosenMonitor(options, problem);
    if (!problem.empty())
        return refuseAfterInit(problem);
    if (options.windowed) {
        window = openWindow(options, monitor, problem);
        if (!problem.empty())
            return refuseAfterInit(problem);
        if (window != nullptr)
            glfwGetFramebufferSize(window, &screenWidth, &screenHeight);
    } else {
        const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
        if (mode != nullptr) {
            screenWidth = mode->width;
            screenHeight = mode->height;
            glfwWindowHint(GLFW_RESIZABLE, 0);
            window = glfwCreateWindow(screenWidth, screenHeight, "Hello, Irvask", monitor, nullptr);
        }
    }
    if (window == nullptr) {
        glfwTerminate();
        rtr::fatalExit({"No window ..."});
    }
    applyWindowInputModes(window);
    // In a window the pointer is free until the right button steers.
    if (options.windowed)
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);

    glfwMakeContextCurrent(window);
    std::cout << "Using OpenGL " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << std::endl;
    if (!loadGLEntryPoints())
        rtr::fatalExit({"Failed to initialize glew"});
    rtr::installDebugOutput();
    // Without a request the driver's own setting stands; a benchmark
    // measures the renderer, not the display's refresh.
    if (options.vsync || options.benchmark)
        glfwSwapInterval(options.vsync.value_or(false) ? 1 : 0);

    renderScale = options.renderScale;
    assembleScene();
    int status = 0;
    if (options.benchmark)
        status = runBenchmark(options);
    else
        runFrameLoop(options);

    releaseScene();
    glfwTerminate();
    return status;
}
