#include "support/Image.h"

#include "render/GL.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace testing_support {

Image readPixels(int x, int y, int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    std::vector<Rgba> bottomUp(static_cast<size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    image.pixels.resize(bottomUp.size());
    for (int row = 0; row < height; ++row)
        std::copy_n(bottomUp.begin() + static_cast<ptrdiff_t>(row) * width, width,
                    image.pixels.begin() + static_cast<ptrdiff_t>(height - 1 - row) * width);
    return image;
}

Image loadPng(const std::string& path) {
    Image image;
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (loaded == nullptr)
        return image;
    FIBITMAP* rgba = FreeImage_ConvertTo32Bits(loaded);
    FreeImage_Unload(loaded);
    image.width = static_cast<int>(FreeImage_GetWidth(rgba));
    image.height = static_cast<int>(FreeImage_GetHeight(rgba));
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(rgba, image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const BYTE* p = row + x * 4;
            image.pixels[static_cast<size_t>(y) * image.width + x] =
                Rgba{p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE], p[FI_RGBA_ALPHA]};
        }
    }
    FreeImage_Unload(rgba);
    return image;
}

bool savePng(const Image& image, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, 32);
    for (int y = 0; y < image.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const Rgba c = image.at(x, y);
            BYTE* p = row + x * 4;
            p[FI_RGBA_RED] = c.r;
            p[FI_RGBA_GREEN] = c.g;
            p[FI_RGBA_BLUE] = c.b;
            p[FI_RGBA_ALPHA] = c.a;
        }
    }
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

ImageDifference compareImages(const Image& actual, const Image& expected, int perPixelThreshold,
                              bool compareAlpha) {
    ImageDifference difference;
    if (actual.width != expected.width || actual.height != expected.height || actual.empty()) {
        difference.maxError = 255;
        difference.meanError = 255.0;
        difference.differingFraction = 1.0;
        return difference;
    }
    double sum = 0.0;
    size_t differing = 0;
    const int channels = compareAlpha ? 4 : 3;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        const Rgba a = actual.pixels[i], e = expected.pixels[i];
        const int errors[4] = {std::abs(a.r - e.r), std::abs(a.g - e.g), std::abs(a.b - e.b),
                               std::abs(a.a - e.a)};
        int worst = 0;
        for (int c = 0; c < channels; ++c) {
            worst = std::max(worst, errors[c]);
            sum += errors[c];
        }
        difference.maxError = std::max(difference.maxError, worst);
        if (worst > perPixelThreshold)
            ++differing;
    }
    difference.meanError = sum / (static_cast<double>(actual.pixels.size()) * channels);
    difference.differingFraction = static_cast<double>(differing) / static_cast<double>(actual.pixels.size());
    return difference;
}

namespace {

// The references are llvmpipe's; a run on another driver may widen the
// tolerance with THALVEK_REFERENCE_TOLERANCE="threshold,fraction,mean" (set
// by its CTest run, where the measured difference is given). Never narrower.
Tolerance forThisDriver(Tolerance tolerance) {
    const char* wider = std::getenv("THALVEK_REFERENCE_TOLERANCE");
    Tolerance driver;
    if (wider == nullptr ||
        std::sscanf(wider, "%d,%lf,%lf", &driver.perPixelThreshold, &driver.maxDifferingFraction,
                    &driver.maxMeanError) != 3)
        return tolerance;
    tolerance.perPixelThreshold = std::max(tolerance.perPixelThreshold, driver.perPixelThreshold);
    tolerance.maxDifferingFraction = std::max(tolerance.maxDifferingFraction, driver.maxDifferingFraction);
    tolerance.maxMeanError = std::max(tolerance.maxMeanError, driver.maxMeanError);
    return tolerance;
}

} // namespace

::testing::AssertionResult matchesReference(const Image& actual, const std::string& folder,
                                            const std::string& name, Tolerance tolerance) {
    tolerance = forThisDriver(tolerance);
    const std::string reference =
        std::string(THALVEK_SOURCE_DIR) + "/tests/" + folder + "/reference/" + name + ".png";
    const char* update = std::getenv("THALVEK_UPDATE_REFERENCES");
    // The references are llvmpipe's: a run on another driver only compares.
    const char* driver = std::getenv("GALLIUM_DRIVER");
    const bool otherDriver = driver != nullptr && std::string(driver) != "llvmpipe";
    if (update != nullptr && std::string(update) == "1" && !otherDriver) {
        if (!savePng(actual, reference))
            return ::testing::AssertionFailure() << "cannot write " << reference;
        return ::testing::AssertionSuccess() << "updated " << reference;
    }
    const Image expected = loadPng(reference);
    if (expected.empty())
        return ::testing::AssertionFailure()
               << "no reference image " << reference
               << " (run the GL tests with THALVEK_UPDATE_REFERENCES=1 to make one)";
    const ImageDifference d = compareImages(actual, expected, tolerance.perPixelThreshold);
    if (d.differingFraction <= tolerance.maxDifferingFraction && d.meanError <= tolerance.maxMeanError)
        return ::testing::AssertionSuccess();
    const std::string output = std::string(THALVEK_RUNTIME_DIR) + "/test-output/" + name +
                               (otherDriver ? "-" + std::string(driver) : std::string()) + ".png";
    savePng(actual, output);
    return ::testing::AssertionFailure()
           << name << " differs from its reference: max error " << d.maxError << ", mean error "
           << d.meanError << ", " << d.differingFraction * 100.0 << "% of pixels over "
           << tolerance.perPixelThreshold << " (actual image: " << output << ")";
}

double fractionOfColour(const Image& image, Rgba colour, int tolerance) {
    if (image.empty())
        return 0.0;
    size_t matching = 0;
    for (const Rgba& p : image.pixels)
        if (std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
            std::abs(p.b - colour.b) <= tolerance)
            ++matching;
    return static_cast<double>(matching) / static_cast<double>(image.pixels.size());
}

} // namespace testing_support
