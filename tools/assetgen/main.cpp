// thalvek-assets: writes every data file the program reads into a run-time
// tree (the build calls it with its own build directory), and on request a
// contact sheet of the pictures for a person to look at.

#include <FreeImage.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "Assets.h"
#include "CameraPreview.h"
#include "ContactSheet.h"
#include "Jobs.h"
#include "NightSky.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: thalvek-assets <runtime-dir> [--contact-sheet <file.png>] [--previews <folder>] [--verbose]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string runtimeDir, contactSheet, previews;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--contact-sheet" && i + 1 < argc) contactSheet = argv[++i];
        else if (argument == "--previews" && i + 1 < argc) previews = argv[++i];
        else if (argument == "--verbose") verbose = true;
        else if (!argument.empty() && argument[0] != '-' && runtimeDir.empty()) runtimeDir = argument;
        else return usage();
    }
    if (runtimeDir.empty()) return usage();

    FreeImage_Initialise(FALSE);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    try {
        const assetgen::RuntimeTree tree{runtimeDir};
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        assetgen::runJobs(assetgen::assetJobs(tree), threads, verbose);
        const glm::vec3 moon = assetgen::NightSky(assetgen::kSkySeed).moonDirection();
        if (!contactSheet.empty()) assetgen::writeContactSheet(tree, contactSheet, moon);
        if (!previews.empty()) assetgen::writeCameraPreviews(tree, previews, moon);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("thalvek-assets: wrote %s in %.1f s\n", runtimeDir.c_str(), seconds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "thalvek-assets: %s\n", error.what());
        status = 1;
    }
    FreeImage_DeInitialise();
    return status;
}
