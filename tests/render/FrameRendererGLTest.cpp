// The first picture: the generated scene through the scene pass and the
// composition, from three of its cameras, compared with reviewed reference
// images; wireframe and the buffer debug overlay; culling and the water:
// the pool's reflection, its ripples, and when its mirrored pass runs. Every
// draw of a frame, from each camera of the tour, held to what OpenGL 3.3
// defines; the GL state between the passes, and framebuffers the driver
// refuses. At half the render scale, the same picture scaled up.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Water.h"
#include "render/FrameRenderer.h"
#include "render/ScreenFootprint.h"
#include "support/ChildProcess.h"
#include "support/DemoHarness.h"
#include "support/DrawAuditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

using namespace testing_support;

namespace {

constexpr int kWidth = 320, kHeight = 180;
const Rgba kMagenta{255, 0, 255, 255};

class FirstPicture : public ::testing::Test {
protected:
    FirstPicture() = default;
    // The scene's targets at `scale` of the window (--scale).
    explicit FirstPicture(float scale) : demo_(kWidth, kHeight, [scale] { renderScale = scale; }) {
        renderScale = 1.0f; // the scene assembly has read it
    }
    void SetUp() override { ASSERT_TRUE(demo_.ok()); }

    // Half a second in: the fire has caught, with flames and smoke.
    Image frameFromCamera(int index) {
        cameras->index = index;
        demo_.settle(14, 1.0 / 30.0);
        demo_.advance(1, 1.0 / 30.0);
        return demo_.readFrame();
    }

    // Mean colour of a band of rows.
    static glm::vec3 meanOfRows(const Image& image, int from, int to) {
        glm::dvec3 sum(0.0);
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width; ++x) {
                const Rgba p = image.at(x, y);
                sum += glm::dvec3(p.r, p.g, p.b);
            }
        return glm::vec3(sum / double((to - from) * image.width));
    }

    static int warmPixels(const Image& image) {
        int count = 0;
        for (const Rgba& p : image.pixels)
            if (p.r > 60 && p.r > 2 * p.g && p.r > 3 * p.b)
                ++count;
        return count;
    }

    // Where the last frame drew the water: its mask, alpha 0 in the scene
    // pass's second target (the window's size at full render scale).
    static std::vector<bool> poolPixels() {
        const int width = frameRenderer->getSceneWidth(), height = frameRenderer->getSceneHeight();
        std::vector<Rgba> texels(static_cast<std::size_t>(width) * height);
        glBindTexture(GL_TEXTURE_2D, frameRenderer->getSceneMaskTexture());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        std::vector<bool> pool(texels.size());
        for (int y = 0; y < height; ++y) // texture rows bottom-up, pictures top-down
            for (int x = 0; x < width; ++x)
                pool[y * width + x] = texels[(height - 1 - y) * width + x].a == 0;
        return pool;
    }

    // Paints the reflection target with a colour no pass leaves there.
    static void markReflection() {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, water->getReflectionFramebuffer());
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    }
    // Pixel (x, y) of the target (GL's bottom-left origin).
    static Rgba reflectionPixel(int x, int y) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, water->getReflectionFramebuffer());
        const Image pixel = readPixels(x, y, 1, 1);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        return pixel.at(0, 0);
    }
    // Whether the marker is still there.
    static bool reflectionStillMarked(int x, int y) { return reflectionPixel(x, y) == Rgba{0, 255, 0, 255}; }

    // The mirrored pass runs while the pool is in view or culling is off,
    // and draws wherever the pool and its ripples can show it, and nowhere
    // far off the surface.
    void checkMirroredPass();

    DemoHarness demo_{kWidth, kHeight};
};

// --scale 0.5: the scene's targets and the reflection at half size.
class HalfScale : public FirstPicture {
protected:
    HalfScale() : FirstPicture(0.5f) {}
};

} // namespace

TEST_F(FirstPicture, OpeningViewSkyAboveGroundBelowFireInView) {
    const Image frame = frameFromCamera(0);
    EXPECT_TRUE(matchesReference(frame, "render", "first-picture-camera0"));
    EXPECT_EQ(fractionOfColour(frame, kMagenta, 8), 0.0) << "something was not drawn";
    const glm::vec3 sky = meanOfRows(frame, 0, 20);
    const glm::vec3 ground = meanOfRows(frame, kHeight - 30, kHeight);
    EXPECT_GT(sky.b, sky.r) << "a night sky is blue";
    EXPECT_GT(sky.b, 8.0f) << "but not black";
    EXPECT_GT(ground.r + ground.g + ground.b, 6.0f) << "the ground must not be crushed to black";
    EXPECT_GT(warmPixels(frame), 20) << "the fire pit's warm light must show";
}

TEST_F(FirstPicture, EstablishingShot) {
    const Image frame = frameFromCamera(1);
    EXPECT_TRUE(matchesReference(frame, "render", "first-picture-camera1"));
    EXPECT_EQ(fractionOfColour(frame, kMagenta, 8), 0.0);
}

TEST_F(FirstPicture, AcrossThePoolTheWaterMirrorsTheNightSkyAndTheFiresGlow) {
    const Image frame = frameFromCamera(4);
    EXPECT_TRUE(matchesReference(frame, "render", "first-picture-camera4"));
    EXPECT_EQ(fractionOfColour(frame, kMagenta, 8), 0.0);
    EXPECT_GT(warmPixels(frame), 20);

    // The basin below is dark earth; what the pool shows is the sky's blue,
    // bright where the moon lies in it, and the fire-lit bank's orange.
    const std::vector<bool> pool = poolPixels();
    int wet = 0, skyBlue = 0, moonlit = 0, fireGlow = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!pool[y * kWidth + x])
                continue;
            const Rgba p = frame.at(x, y);
            ++wet;
            skyBlue += p.b > p.r + 4 && p.b > p.g ? 1 : 0;
            moonlit += p.r + p.g + p.b > 300 ? 1 : 0;
            fireGlow += p.r > p.b + 4 && p.r > p.g ? 1 : 0;
        }
    ASSERT_GT(wet, kWidth * kHeight / 5) << "the pool fills the lower part of the view";
    EXPECT_GT(skyBlue, wet / 3);
    EXPECT_GT(moonlit, 10);
    EXPECT_GT(fireGlow, 20);
}

TEST_F(FirstPicture, TheRipplesMoveOnlyTheWater) {
    cameras->index = 4;
    demo_.advance(3, 1.0 / 30.0);
    const Image before = demo_.readFrame();
    const std::vector<bool> pool = poolPixels();
    // A second of the water's phase and nothing else: the rest of the scene
    // must come out exactly the same.
    water->update(1.0);
    demo_.render();
    const Image after = demo_.readFrame();
    int wet = 0, changedInside = 0, changedOutside = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const Rgba a = before.pixels[i], b = after.pixels[i];
        const bool changed = std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 3;
        if (pool[i]) {
            ++wet;
            changedInside += changed ? 1 : 0;
        } else {
            changedOutside += a == b ? 0 : 1;
        }
    }
    ASSERT_GT(wet, 0);
    EXPECT_GT(changedInside, wet / 8) << "much of the pool is too dark to show its ripples";
    EXPECT_EQ(changedOutside, 0);
}

TEST_F(FirstPicture, WireframeDrawsTheScenesTrianglesAsLinesOverTheClearColour) {
    inputController->wireframe = 1;
    const Image frame = frameFromCamera(0);
    // Line-drawn geometry across the whole window: every cell of a 4 x 4
    // grid shows both the clear colour between the lines and lines. A
    // composition quad drawn as lines would leave one diagonal on magenta.
    constexpr int kCells = 4;
    for (int cy = 0; cy < kCells; ++cy)
        for (int cx = 0; cx < kCells; ++cx) {
            int magenta = 0, lines = 0;
            for (int y = cy * kHeight / kCells; y < (cy + 1) * kHeight / kCells; ++y)
                for (int x = cx * kWidth / kCells; x < (cx + 1) * kWidth / kCells; ++x)
                    ++(frame.at(x, y) == kMagenta ? magenta : lines);
            EXPECT_GT(magenta, 0) << "cell " << cx << ", " << cy << " is filled";
            EXPECT_GT(lines, 20) << "cell " << cx << ", " << cy << " shows no geometry";
        }
    EXPECT_GT(fractionOfColour(frame, kMagenta, 0), 0.1) << "the triangles are not filled";
}

TEST_F(FirstPicture, BufferDebugOverlayCoversTheTopLeft150Pixels) {
    const Image plain = frameFromCamera(0);
    inputController->bufferDebugView = 1;
    demo_.render();
    const Image overlaid = demo_.readFrame();
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (plain.at(x, y) != overlaid.at(x, y))
                ++(x < 150 && y < 150 ? changedInside : changedOutside);
    EXPECT_GT(changedInside, 150 * 150 / 2);
    EXPECT_EQ(changedOutside, 0);
    // The scene's alpha is untouched without masks: the overlay shows the
    // dimmed grey picture, no mask colour.
    const Rgba corner = overlaid.at(75, 75);
    EXPECT_EQ(corner.r, corner.g);
    EXPECT_EQ(corner.g, corner.b);
}

void FirstPicture::checkMirroredPass() {
    // The opening camera turned round faces away from the pool, so culling
    // hides the water and its mirrored pass is skipped.
    cameras->index = 0;
    Camera& camera = *cameras->current();
    camera.direction = -camera.direction;
    camera.refreshView();
    const int size = water->getReflectionSize();
    markReflection();
    demo_.render();
    EXPECT_FALSE(frameRenderer->isWaterVisible()) << "looking away, culling should hide the pool";
    EXPECT_TRUE(reflectionStillMarked(size / 2, size / 2)) << "the mirrored pass ran for a pool out of view";

    // Culling off culls nothing: the pass runs, over the whole target.
    inputController->frustumCulling = 0;
    for (int frame = 0; frame < 3; ++frame) {
        markReflection();
        demo_.render();
        EXPECT_TRUE(frameRenderer->isWaterVisible());
        EXPECT_FALSE(frameRenderer->lastFrustum().enabled);
        EXPECT_FALSE(reflectionStillMarked(0, 0)) << "with culling off the mirrored pass runs every frame";
        EXPECT_FALSE(reflectionStillMarked(size - 1, size - 1));
    }

    // In view again, the pass draws the mirrored scene (neither the marker
    // nor the bare clear colour) wherever the pool shows it, and as far
    // beyond the surface's outline on screen as its ripples shift the
    // lookups: Water::kRippleReach, about 12 texels of the full-size target
    // (tested a texel short of that). The surface goes on under the banks, so its
    // outline lies beyond the pool that shows. The corners of the surface's
    // bounding rectangle lie well off the round surface: there the target
    // is only cleared (to the clear colour), nothing is drawn.
    inputController->frustumCulling = 1;
    camera.direction = -camera.direction;
    camera.refreshView();
    markReflection();
    demo_.render();
    EXPECT_TRUE(frameRenderer->isWaterVisible());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, water->getReflectionFramebuffer());
    const Image target = readPixels(0, 0, size, size);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    const auto texelAt = [size](glm::vec2 ndc) {
        return glm::clamp(glm::ivec2(glm::floor((ndc * 0.5f + 0.5f) * float(size))), 0, size - 1);
    };
    const auto drawnAt = [&target, &texelAt, size](glm::vec2 ndc) {
        const glm::ivec2 texel = texelAt(ndc);
        const Rgba p = target.at(texel.x, size - 1 - texel.y);
        return !(p.r == 0 && p.g == 255 && p.b == 0) && !(p.r == 255 && p.g == 0 && p.b == 255);
    };
    const std::vector<bool> pool = poolPixels();
    const int width = frameRenderer->getSceneWidth(), height = frameRenderer->getSceneHeight();
    int undrawn = 0, wet = 0;
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 2)
            if (pool[y * width + x]) {
                ++wet;
                undrawn += !drawnAt({(2.0f * x + 1.0f) / width - 1.0f, 1.0f - (2.0f * y + 1.0f) / height});
            }
    EXPECT_GT(wet, 20);
    EXPECT_EQ(undrawn, 0) << "the pool would show the marker or the clear colour";

    const glm::mat4 viewProjection = camera.getProjectionMatrix() * camera.getViewMatrix();
    const rtr::ScreenRect rect = rtr::screenFootprint(viewProjection, water->lowestCorner(), water->highestCorner());
    const std::vector<glm::vec3>& outline = water->outlineEdges();
    const auto ndc = [&viewProjection](const glm::vec3& p) {
        const glm::vec4 clip = viewProjection * glm::vec4(p, 1.0f);
        return glm::vec2(clip) / clip.w;
    };
    // Inside the outline: a crossing to the point's right an odd number of times.
    const auto inside = [&](glm::vec2 point) {
        bool in = false;
        for (std::size_t i = 0; i + 1 < outline.size(); i += 2) {
            const glm::vec2 a = ndc(outline[i]), b = ndc(outline[i + 1]);
            if ((a.y > point.y) != (b.y > point.y) && point.x < a.x + (point.y - a.y) / (b.y - a.y) * (b.x - a.x))
                in = !in;
        }
        return in;
    };
    const float reach = Water::kRippleReach - 2.0f / float(size);
    int beyond = 0, undrawnBeyond = 0;
    for (std::size_t i = 0; i + 1 < outline.size(); i += 2) {
        const glm::vec2 a = ndc(outline[i]), b = ndc(outline[i + 1]);
        const bool inFront = (viewProjection * glm::vec4(outline[i], 1.0f)).w > 0.0f &&
                             (viewProjection * glm::vec4(outline[i + 1], 1.0f)).w > 0.0f;
        if (!inFront || glm::distance(a, b) < 1e-6f)
            continue;
        const glm::vec2 across = glm::normalize(glm::vec2(a.y - b.y, b.x - a.x));
        for (const float side : {1.0f, -1.0f}) {
            const glm::vec2 point = (a + b) * 0.5f + side * reach * across;
            if (glm::any(glm::greaterThan(glm::abs(point), glm::vec2(0.99f))) || inside(point))
                continue;
            ++beyond;
            undrawnBeyond += !drawnAt(point);
        }
    }
    EXPECT_GT(beyond, 20);
    EXPECT_EQ(undrawnBeyond, 0) << "the ripples would show the clear colour beyond the pool's outline";

    int offTheSurface = 0;
    for (const glm::vec2& corner : {rect.lower, rect.upper, glm::vec2(rect.lower.x, rect.upper.y),
                                    glm::vec2(rect.upper.x, rect.lower.y)}) {
        // Outside the surface's outline and more than twice the ripples'
        // reach from it.
        float nearest = 1e9f;
        for (std::size_t i = 0; i + 1 < outline.size(); i += 2) {
            const glm::vec2 a = ndc(outline[i]), b = ndc(outline[i + 1]);
            const float t = std::clamp(glm::dot(corner - a, b - a) / glm::dot(b - a, b - a), 0.0f, 1.0f);
            nearest = std::min(nearest, glm::length(corner - (a + t * (b - a))));
        }
        if (inside(corner) || nearest < 0.1f || glm::any(glm::greaterThan(glm::abs(corner), glm::vec2(0.95f))))
            continue;
        ++offTheSurface;
        const glm::ivec2 texel = texelAt(corner);
        EXPECT_EQ(reflectionPixel(texel.x, texel.y), kMagenta) << "drawn off the surface at " << texel.x << ", "
                                                               << texel.y;
    }
    EXPECT_GT(offTheSurface, 0) << "no corner of the surface's rectangle lies off it on screen";
}

TEST_F(FirstPicture, TheMirroredPassRunsWhileThePoolIsInViewOrCullingIsOff) { checkMirroredPass(); }

TEST_F(FirstPicture, AStateLeftBehindBetweenPassesFailsTheTestLikeADriverError) {
#ifndef THALVEK_GL_DEBUG
    GTEST_SKIP() << "the passes' state is checked in Debug builds";
#endif
    demo_.advance(1, 1.0 / 30.0);
    ASSERT_TRUE(demo_.context().takeDriverErrors().empty());
    glEnable(GL_BLEND); // as a pass that forgot to turn it off would leave it
    demo_.render();
    glDisable(GL_BLEND);
    const std::vector<DriverMessage> errors = demo_.context().takeDriverErrors();
    ASSERT_FALSE(errors.empty()) << "blending left on went unnoticed";
    EXPECT_EQ(errors.front().text, "GL state at the frame's start: blending is on");
    for (const DriverMessage& error : errors)
        EXPECT_NE(error.text.find("blending is on"), std::string::npos) << error.text;
}

TEST_F(FirstPicture, TheHarnessStepsFramesAsTheProgramDoesFromTheStateEveryFrameStartsFrom) {
#ifndef THALVEK_GL_DEBUG
    GTEST_SKIP() << "the passes' state is checked in Debug builds";
#endif
    // As a test, a screenshot or the overlay might leave them between two
    // frames; the program's frame step sets them before its passes.
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDisable(GL_CULL_FACE);
    demo_.advance(1, 1.0 / 30.0);
    for (const DriverMessage& error : demo_.context().takeDriverErrors())
        ADD_FAILURE() << error.text;
}

namespace {

std::string listed(const std::set<std::string>& findings) {
    std::string text;
    for (const std::string& finding : findings)
        text += "\n  " + finding;
    return text;
}

} // namespace

TEST(DefinedOnEveryDriver, EveryDrawOfAFrameFromEachTourCameraInWireframeAndWithTheDebugViews) {
    DemoHarness demo(kWidth, kHeight, [] { DrawAuditor::recordSamplerUnits(); });
    ASSERT_TRUE(demo.ok());
    demo.advance(10, 1.0 / 30.0); // flames and smoke to draw
    const auto auditFrame = [&demo](const std::string& what) {
        DrawAuditor auditor;
        demo.advance(1, 1.0 / 30.0);
        EXPECT_GT(auditor.draws(), 20) << what << ": the draws did not reach the auditor";
        EXPECT_TRUE(auditor.findings().empty()) << what << ":" << listed(auditor.findings());
    };
    for (int camera = 0; camera <= 4; ++camera) {
        cameras->index = camera;
        auditFrame("camera " + std::to_string(camera));
    }
    inputController->wireframe = 1; // across the pool: the mirrored pass and its stencil
    auditFrame("camera 4 in wireframe");
    inputController->wireframe = 0;
    inputController->bufferDebugView = 1;
    inputController->shadowDebugView = 1;
    auditFrame("camera 4 with both debug views");
}

TEST(DefinedOnEveryDriver, EachFramebufferTheDriverRefusesIsNamedWithItsStatusWhenMadeAndResized) {
    const auto result = runInChild([] {
        DemoHarness demo(64, 36, [] {
            glCheckFramebufferStatus = [](GLenum) -> GLenum { return GL_FRAMEBUFFER_UNSUPPORTED; };
        });
        if (!demo.ok())
            _exit(3);
        frameRenderer->resize(80, 45);
        demo.advance(1, 1.0 / 30.0); // and the frame goes on as before
    }, 120.0); // a whole start-up, slow under the sanitizers on a loaded machine
    ASSERT_TRUE(result.exited) << "crashed: " << result.err;
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
    const auto count = [&result](const std::string& line) {
        std::size_t n = 0;
        for (std::size_t at = result.err.find(line); at != std::string::npos; at = result.err.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("ERROR: incomplete framebuffer 'scene': GL_FRAMEBUFFER_UNSUPPORTED\n"), 2u) << result.err;
    EXPECT_EQ(count("ERROR: incomplete framebuffer 'scene colour': GL_FRAMEBUFFER_UNSUPPORTED\n"), 2u) << result.err;
    EXPECT_EQ(count("ERROR: incomplete framebuffer 'water reflection': GL_FRAMEBUFFER_UNSUPPORTED\n"), 1u)
        << result.err;
    EXPECT_EQ(count("ERROR: incomplete framebuffer\n"), 1u) << "the shadow map's own line";
}

TEST(PlainGL33, FramesRenderWithoutTheDepthInvalidationEntryPoint) {
    // A 3.3 driver without ARB_invalidate_subdata leaves GLEW with no
    // glInvalidateFramebuffer; calling through the null pointer would crash.
    const auto result = runInChild([] {
        DemoHarness demo(64, 36, [] {
            __GLEW_VERSION_4_3 = GL_FALSE;
            __GLEW_ARB_invalidate_subdata = GL_FALSE;
            glInvalidateFramebuffer = nullptr;
        });
        if (!demo.ok())
            _exit(3);
        demo.advance(2, 1.0 / 30.0);
    });
    ASSERT_TRUE(result.exited) << "crashed: " << result.err;
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
}

TEST_F(HalfScale, TheSceneIsDrawnAtHalfSizeScaledUpOverTheWholeWindowAndThePoolStillMirrors) {
    const auto sizeOf = [](GLuint texture) {
        std::pair<GLint, GLint> size(0, 0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.first);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.second);
        glBindTexture(GL_TEXTURE_2D, 0);
        return size;
    };
    EXPECT_EQ(sizeOf(frameRenderer->getSceneMaskTexture()), std::make_pair(kWidth / 2, kHeight / 2));
    EXPECT_EQ(sizeOf(water->getReflectionTexture()),
              std::make_pair(Water::kReflectionSize / 2, Water::kReflectionSize / 2));

    // Across the pool: the mirrored pass, the haze and the water all draw.
    DrawAuditor auditor;
    {
        const Image frame = frameFromCamera(4);
        ASSERT_EQ(frame.width, kWidth);
        ASSERT_EQ(frame.height, kHeight);
        EXPECT_EQ(fractionOfColour(frame, kMagenta, 8), 0.0) << "the picture does not cover the window";
        const Image full =
            loadPng(std::string(THALVEK_SOURCE_DIR) + "/tests/render/reference/first-picture-camera4.png");
        ASSERT_EQ(full.width, kWidth);
        // The same view as at full scale, only softer: here a mean of 2.2
        // steps and 0.9 % of pixels beyond 24, where the full-scale picture
        // moved two pixels sideways is 3.1 and 2.2 %, and camera 0's picture
        // 8.6 and 13 %.
        const ImageDifference difference = compareImages(frame, full, 24);
        EXPECT_LT(difference.meanError, 3.0);
        EXPECT_LT(difference.differingFraction, 0.02);
    }

    // The smaller reflection target still holds all the pool can show.
    checkMirroredPass();
    EXPECT_TRUE(auditor.findings().empty()) << listed(auditor.findings());

    // A new window size keeps the scale.
    frameRenderer->resize(200, 120);
    EXPECT_EQ(sizeOf(frameRenderer->getSceneMaskTexture()), std::make_pair(100, 60));
}
