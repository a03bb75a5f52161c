#pragma once
// RGBA8 images for rendering tests: read-back from GL, PNG files through
// FreeImage, and comparison against committed reference images under a
// per-pixel threshold and a budget of differing pixels.
//
// References live in tests/<folder>/reference/<name>.png. To regenerate them,
// run the GL tests with THALVEK_UPDATE_REFERENCES=1 (see the README), then
// review the new pictures by eye before committing them.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// Rows top-down, as a picture is read.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;

    Rgba at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool empty() const { return pixels.empty(); }
};

// glReadPixels of the current read framebuffer; (x, y) is GL's bottom-left.
Image readPixels(int x, int y, int width, int height);

Image loadPng(const std::string& path);
bool savePng(const Image& image, const std::string& path);

struct ImageDifference {
    int maxError = 0;               // largest channel difference
    double meanError = 0.0;         // mean channel difference over all pixels
    double differingFraction = 0.0; // pixels with any channel over the threshold
};

// Alpha is ignored unless `compareAlpha`.
ImageDifference compareImages(const Image& actual, const Image& expected, int perPixelThreshold,
                              bool compareAlpha = false);

struct Tolerance {
    int perPixelThreshold = 2;     // llvmpipe without AVX2 moves pixels by a step or two
    double maxDifferingFraction = 0.01;
    double maxMeanError = 1.0;
};

// Compares with tests/<folder>/reference/<name>.png; writes the actual image
// to <runtime>/test-output/<name>.png when they differ (<name>-<driver>.png
// on another driver than llvmpipe). With THALVEK_UPDATE_REFERENCES=1 it
// writes the reference instead and passes, except on another driver
// (GALLIUM_DRIVER), whose runs only compare, under the wider tolerance
// their THALVEK_REFERENCE_TOLERANCE ("threshold,fraction,mean") may give.
::testing::AssertionResult matchesReference(const Image& actual, const std::string& folder,
                                            const std::string& name, Tolerance tolerance = {});

// Share of pixels whose colour is within `tolerance` of `colour` (alpha ignored).
double fractionOfColour(const Image& image, Rgba colour, int tolerance = 0);

} // namespace testing_support
