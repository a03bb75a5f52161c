// The first picture: the generated scene through the scene pass and the
// composition, from three of its cameras, compared with reviewed reference
// images; wireframe and the buffer debug overlay; culling and the water.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "render/FrameRenderer.h"
#include "support/ChildProcess.h"
#include "support/DemoHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr int kWidth = 320, kHeight = 180;
const Rgba kMagenta{255, 0, 255, 255};

class FirstPicture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(demo_.ok()); }

    // Half a second in: the fire has caught, with flames and smoke.
    Image frameFromCamera(int index) {
        cameras->index = index;
        demo_.advance(15, 1.0 / 30.0);
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

    DemoHarness demo_{kWidth, kHeight};
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

TEST_F(FirstPicture, AcrossThePool) {
    const Image frame = frameFromCamera(4);
    EXPECT_TRUE(matchesReference(frame, "render", "first-picture-camera4"));
    EXPECT_EQ(fractionOfColour(frame, kMagenta, 8), 0.0);
    EXPECT_GT(warmPixels(frame), 20);
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

TEST_F(FirstPicture, WithCullingOffTheWaterCountsAsVisible) {
    // Camera 1 looks away from nothing in particular; turn it to face away
    // from the pool entirely, so culling hides the water.
    cameras->index = 0;
    Camera& camera = *cameras->current();
    camera.direction = -camera.direction;
    camera.refreshView();
    demo_.render();
    const bool culledVisible = frameRenderer->isWaterVisible();
    inputController->frustumCulling = 0;
    demo_.render();
    EXPECT_TRUE(frameRenderer->isWaterVisible());
    EXPECT_FALSE(frameRenderer->lastFrustum().enabled);
    EXPECT_FALSE(culledVisible) << "looking away, culling should hide the pool";
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
