// What the recorder writes is what the program renders: frames of a lossless
// recording, decoded by ffmpeg, against the same steps of the tour rendered
// here through the harness. The first frame checks the read-back and its
// orientation; the last one has gone through the whole ring of read-back
// buffers, so a frame lost or delivered out of turn shows. And the picture
// from each tour camera stays close to the frames the demo gave once its
// scene was built for speed, so that what makes a pass cheaper keeps the look.

#include "app/AppState.h"
#include "app/InputController.h"
#include "support/DemoHarness.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace testing_support;

namespace {

constexpr int kWidth = 320, kHeight = 180, kFrames = 6;
const double kStep = 1.0 / 30.0;

// Frame `index` of a video file, decoded to RGBA, rows top-down.
Image decodeFrame(const std::filesystem::path& video, int index, int width = kWidth, int height = kHeight) {
    const std::string command = "ffmpeg -v error -i '" + video.string() + "' -vf 'select=eq(n\\," +
                                std::to_string(index) + ")' -frames:v 1 -f rawvideo -pix_fmt rgba -";
    Image image;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return image;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    const std::size_t read = std::fread(image.pixels.data(), sizeof(Rgba), image.pixels.size(), pipe);
    ::pclose(pipe);
    if (read != image.pixels.size())
        return {};
    image.width = width;
    image.height = height;
    return image;
}

::testing::AssertionResult sameWithinTolerance(const Image& recorded, const Image& rendered) {
    const Tolerance tolerance;
    const ImageDifference difference = compareImages(recorded, rendered, tolerance.perPixelThreshold);
    if (difference.differingFraction <= tolerance.maxDifferingFraction &&
        difference.meanError <= tolerance.maxMeanError)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "differing " << difference.differingFraction << ", mean error "
                                         << difference.meanError << ", largest " << difference.maxError;
}

} // namespace

TEST(Recording, FramesAreTheFramesTheProgramRendersAtTheSameSteps) {
    const auto video = std::filesystem::temp_directory_path() / ("thalvek-recording-" + std::to_string(::getpid()) + ".mp4");
    const std::string command = std::string(THALVEK_RUNTIME_DIR) + "/tools/thalvek-record --lossless --size " +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) + " --length " +
                                std::to_string(kFrames * kStep) + " --output '" + video.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Image first = decodeFrame(video, 0);
    const Image last = decodeFrame(video, kFrames - 1);
    std::filesystem::remove(video);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(last.empty());

    DemoHarness demo(kWidth, kHeight);
    ASSERT_TRUE(demo.ok());
    inputController->tour = 1;
    demo.advance(1, kStep);
    const Image renderedFirst = demo.readFrame();
    demo.advance(kFrames - 1, kStep);
    const Image renderedLast = demo.readFrame();

    EXPECT_TRUE(sameWithinTolerance(first, renderedFirst)) << "first frame";
    EXPECT_TRUE(sameWithinTolerance(last, renderedLast)) << "last frame";
    // The camera moves between them, so the comparison can tell frames apart.
    EXPECT_FALSE(sameWithinTolerance(last, renderedFirst));
}

TEST(Recording, EachTourCamerasFrameStaysWithinTheLimitOfTheFrameBeforeTheCheaperPasses) {
    // tests/record/reference/tour-cameraN.png: the lossless frame of camera N
    // three seconds in, as the recorder gave it once the ground was cut into
    // tiles, the crowns lost the cards facing away from every viewpoint and
    // the shadow map its casters beyond the fire light's reach; the
    // references are renewed by hand, not with the others. The picture may
    // have moved by 1.5 steps on average, and by more than 8 steps in 2 % of
    // its pixels.
    constexpr int width = 640, height = 360;
    for (int camera = 0; camera < 5; ++camera) {
        const auto video = std::filesystem::temp_directory_path() /
                           ("thalvek-camera-" + std::to_string(::getpid()) + "-" + std::to_string(camera) + ".mp4");
        const std::string command = std::string(THALVEK_RUNTIME_DIR) + "/tools/thalvek-record --lossless --size " +
                                    std::to_string(width) + "x" + std::to_string(height) + " --camera " +
                                    std::to_string(camera) + " --start 3 --length " + std::to_string(kStep) +
                                    " --output '" + video.string() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Image frame = decodeFrame(video, 0, width, height);
        std::filesystem::remove(video);
        const std::string name = "tour-camera" + std::to_string(camera);
        const Image before = loadPng(std::string(THALVEK_SOURCE_DIR) + "/tests/record/reference/" + name + ".png");
        ASSERT_FALSE(frame.empty());
        ASSERT_FALSE(before.empty()) << name;
        const ImageDifference difference = compareImages(frame, before, 8);
        const bool within = difference.meanError <= 1.5 && difference.differingFraction <= 0.02;
        if (!within)
            savePng(frame, std::string(THALVEK_RUNTIME_DIR) + "/test-output/" + name + ".png");
        EXPECT_TRUE(within) << name << ": mean " << difference.meanError << " steps, "
                            << difference.differingFraction * 100.0 << " % of pixels more than 8 steps apart";
    }
}
