// The campfire drawn on its own, into a pair of scene targets like the
// frame renderer's, from a camera 8 units in front of it: flames where the
// fire is and nothing beside it, the smoke's alpha mask only where smoke
// passes, the haze only inside its area, each age of a flame on its own
// frame of the sprite sheet, and empty groups that touch nothing. Then the
// campfire in the demo's own frames: the smoke's mask in the second target
// and the haze in the picture, and the effects' images missing one by one.
// Also: an emitter outliving its particle system.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/FrameUpdate.h"
#include "effects/Campfire.h"
#include "render/FrameRenderer.h"
#include "render/GLObjects.h"
#include "render/UniformBlocks.h"
#include "support/DemoHarness.h"
#include "support/GLTestContext.h"
#include "support/Image.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace testing_support;
namespace blocks = rtr::blocks;

namespace {

constexpr int kSize = 160;
const glm::vec3 kFire(0.0f, 0.0f, 0.0f);
const Rgba kNight{5, 8, 20, 255};

bool warmAndBright(Rgba p) { return p.r >= 180 && p.r > p.g && p.g > p.b; }

class CampfireGL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        framebuffer_ = rtr::gl::FramebufferName::generate();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
        for (int i = 0; i < 2; ++i) {
            targets_[i] = rtr::gl::TextureName::generate();
            glBindTexture(GL_TEXTURE_2D, targets_[i].get());
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSize, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, targets_[i].get(), 0);
        }
        depth_ = rtr::gl::RenderbufferName::generate();
        glBindRenderbuffer(GL_RENDERBUFFER, depth_.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kSize, kSize);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.get());
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, kSize, kSize);
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, both);
        glClearColor(kNight.r / 255.0f, kNight.g / 255.0f, kNight.b / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The program's state during the scene pass.
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);

        campfire_ = std::make_unique<Campfire>(kFire);
        matrices_ = blocks::createBlockBuffer(blocks::kMatrices, blocks::kMatrices.size);
        lookFrom({0.0f, 2.3f, 8.0f}, {0.0f, 2.3f, 0.0f});
    }

    void lookFrom(const glm::vec3& eye, const glm::vec3& centre) {
        view_ = glm::lookAt(eye, centre, glm::vec3(0, 1, 0));
        projection_ = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
        const glm::mat4 viewAndProjection[2] = {view_, projection_};
        blocks::writeMatrices(*matrices_, blocks::matrices::kModelView, viewAndProjection, 2);
    }

    // Warm, bright pixels in the body of the fire, up to a unit above it.
    void expectABrightWarmBody(const Image& picture) {
        const glm::vec2 base = pixelOf(kFire), top = pixelOf(kFire + glm::vec3(0.0f, 1.0f, 0.0f));
        const float unit = pixelsPerUnit();
        int warm = 0;
        for (int y = static_cast<int>(top.y); y <= static_cast<int>(base.y); ++y)
            for (int x = static_cast<int>(base.x - 0.5f * unit); x <= static_cast<int>(base.x + 0.5f * unit); ++x)
                warm += warmAndBright(picture.at(x, y)) ? 1 : 0;
        EXPECT_GT(warm, static_cast<int>(0.3f * unit * unit)) << "the fire's body is not bright and warm";
    }

    // The frame renderer's order: particles into both targets with alpha
    // kept, then the smoke mask into the second target's alpha.
    void drawParticlesAndMask() {
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1}, second = GL_COLOR_ATTACHMENT1;
        glDrawBuffers(2, both);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
        campfire_->particles->draw();
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDrawBuffers(1, &second);
        campfire_->drawMask();
    }

    void drawHaze() {
        const GLenum first = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &first);
        glDepthMask(GL_FALSE);
        campfire_->haze->draw(targets_[1].get());
        glDepthMask(GL_TRUE);
    }

    Image read(int attachment) {
        glFinish();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_.get());
        glReadBuffer(GL_COLOR_ATTACHMENT0 + attachment);
        return readPixels(0, 0, kSize, kSize);
    }

    // Where a world point lands in a read-back image (rows top-down).
    glm::vec2 pixelOf(const glm::vec3& world) const {
        const glm::vec4 clip = projection_ * view_ * glm::vec4(world, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return {(ndc.x * 0.5f + 0.5f) * kSize, (0.5f - ndc.y * 0.5f) * kSize};
    }

    float pixelsPerUnit() const { return pixelOf({1, 0, 0}).x - pixelOf({0, 0, 0}).x; }

    GLTestContext context_{kSize, kSize};
    rtr::gl::FramebufferName framebuffer_;
    rtr::gl::TextureName targets_[2];
    rtr::gl::RenderbufferName depth_;
    std::unique_ptr<Campfire> campfire_;
    std::unique_ptr<rtr::UniformBuffer> matrices_;
    glm::mat4 view_{1.0f}, projection_{1.0f};
};


} // namespace

TEST_F(CampfireGL, FlamesBurnOverTheFireAndNothingShowsBesideIt) {
    for (int frame = 0; frame < 45; ++frame)
        campfire_->update(1.0f / 30.0f);
    drawParticlesAndMask();
    const Image picture = read(0);
    expectABrightWarmBody(picture);

    // Flames and smoke stay within 2.5 units of the fire's axis; beyond,
    // the night is untouched.
    const int left = static_cast<int>(pixelOf(kFire - glm::vec3(2.5f, 0.0f, 0.0f)).x);
    const int right = static_cast<int>(std::ceil(pixelOf(kFire + glm::vec3(2.5f, 0.0f, 0.0f)).x));
    int changedBeside = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if ((x < left || x > right) && picture.at(x, y) != kNight)
                ++changedBeside;
    EXPECT_EQ(changedBeside, 0);
}

// On a machine that draws a frame a second the fire must still sit on the
// logs, not float above them as one burst already a second old.
TEST_F(CampfireGL, OneSlowFrameBurnsLikeManyFastOnes) {
    campfire_->update(1.5f);
    drawParticlesAndMask();
    expectABrightWarmBody(read(0));
}

TEST_F(CampfireGL, SmokeLowersTheSecondTargetsAlphaOnlyWhereItPasses) {
    // One smoke puff on the left, one flame on the right.
    const glm::vec3 puffAt(-1.5f, 2.0f, 0.0f), flameAt(1.5f, 2.0f, 0.0f);
    campfire_->smoke->spawn(puffAt, {1.0f, 1.0f}, 0.0f, {}, {}, 0.0f, 0.0f);
    campfire_->flames->spawn(flameAt, {1.0f, 1.0f}, 0.0f, {}, {}, 0.0f, 0.0f);
    campfire_->smoke->upload();
    campfire_->flames->upload();
    const GLenum second = GL_COLOR_ATTACHMENT1;
    glDrawBuffers(1, &second);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    campfire_->particles->draw();
    const Image before = read(1);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    campfire_->drawMask();
    const Image after = read(1);

    // A sprite reaches at most its size (1) times 1.5 from its particle.
    const glm::vec2 puff = pixelOf(puffAt);
    const float reach = 1.5f * pixelsPerUnit() + 1.0f;
    int lowered = 0, loweredElsewhere = 0, colourChanged = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const Rgba b = before.at(x, y), a = after.at(x, y);
            ASSERT_EQ(b.a, 255);
            colourChanged += (a.r != b.r || a.g != b.g || a.b != b.b) ? 1 : 0;
            if (a.a < 255)
                ++(glm::distance(glm::vec2(x, y), puff) <= reach ? lowered : loweredElsewhere);
        }
    EXPECT_GT(lowered, 100) << "the puff leaves no mask";
    EXPECT_EQ(loweredElsewhere, 0) << "the flame, or nothing at all, lowered the mask";
    EXPECT_EQ(colourChanged, 0) << "the mask pass writes alpha only";
    int densest = 255;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            densest = std::min<int>(densest, after.at(x, y).a);
    EXPECT_LT(densest, 160) << "the puff's middle should mask strongly";
}

TEST_F(CampfireGL, HazeShimmersOnlyInsideItsAreaAboveTheFire) {
    // A picture where any shift of a pixel shows: every texel differs from
    // its neighbours. Both targets hold it, as after the scene pass.
    std::vector<Rgba> noise(kSize * kSize);
    unsigned seed = 12345;
    for (Rgba& p : noise) {
        seed = seed * 1103515245u + 12345u;
        p = {static_cast<uint8_t>(seed >> 24), static_cast<uint8_t>(seed >> 16), static_cast<uint8_t>(seed >> 8), 255};
    }
    for (const auto& target : targets_) {
        glBindTexture(GL_TEXTURE_2D, target.get());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, noise.data());
    }
    const Image scene = read(0);
    // Closer, so the area fills most of the small target.
    lookFrom({0.0f, 2.6f, 6.0f}, {0.0f, 2.6f, 0.0f});

    campfire_->haze->time = 0.3f;
    drawHaze();
    const Image shimmer = read(0);

    // The area: 2.4 wide and 4 high, from 0.6 to 4.6 above the fire.
    const glm::vec2 lowLeft = pixelOf(kFire + glm::vec3(-1.2f, 0.6f, 0.0f));
    const glm::vec2 highRight = pixelOf(kFire + glm::vec3(1.2f, 4.6f, 0.0f));
    const glm::vec2 size = lowLeft - highRight;
    int inside = 0, outside = 0, onTheRim = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (scene.at(x, y) == shimmer.at(x, y))
                continue;
            const glm::vec2 p(x + 0.5f, y + 0.5f);
            const bool in = p.x > lowLeft.x - 1 && p.x < highRight.x + 1 && p.y < lowLeft.y + 1 && p.y > highRight.y - 1;
            ++(in ? inside : outside);
            // The shimmer fades out towards the edges: none in the outer 5 %.
            const glm::vec2 fromEdge = glm::min(p - glm::vec2(lowLeft.x, highRight.y), glm::vec2(highRight.x, lowLeft.y) - p);
            if (fromEdge.x < 0.05f * std::abs(size.x) || fromEdge.y < 0.05f * std::abs(size.y))
                ++onTheRim;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(onTheRim, 0) << "the area's outline would show";
    EXPECT_GT(inside, static_cast<int>(0.005f * std::abs(size.x * size.y))) << "hardly any shimmer";

    // Later in its cycle the shimmer has moved on.
    glBindTexture(GL_TEXTURE_2D, targets_[0].get());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, noise.data());
    campfire_->haze->time = 0.6f;
    drawHaze();
    EXPECT_FALSE(read(0).pixels == shimmer.pixels);
}

TEST_F(CampfireGL, EachAgeOfAFlameShowsItsOwnFrameOfTheSheet) {
    // A 4 x 4 sheet of flat colours, 8 x 8 texels a frame, painted top row
    // first: GL's row 0 is the sheet's bottom row.
    constexpr int kFrameTexels = 8, kSheet = 4 * kFrameTexels;
    const auto colourOf = [](int frame) {
        return Rgba{static_cast<uint8_t>(40 + 13 * frame), static_cast<uint8_t>(235 - 12 * frame),
                    static_cast<uint8_t>(10 + 60 * (frame % 4)), 255};
    };
    std::vector<Rgba> texels(kSheet * kSheet);
    for (int row = 0; row < kSheet; ++row)
        for (int column = 0; column < kSheet; ++column)
            texels[row * kSheet + column] = colourOf(4 * (3 - row / kFrameTexels) + column / kFrameTexels);
    const auto sheet = rtr::gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_2D, sheet.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSheet, kSheet, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    rtr::Particles::Group& flames = *campfire_->flames;
    flames.texture = sheet.get();
    flames.startColor = flames.endColor = glm::vec4(1.0f); // the sheet's own colours, added to black
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    // The sprite's middle: its particle sits at 0.35 of its 1.5-high quad.
    const glm::vec3 at(0.0f, 2.0f, 0.0f);
    const glm::vec2 middle = pixelOf(at + glm::vec3(0.0f, 0.15f * 1.5f, 0.0f));
    for (int step = 0; step <= 16; ++step) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        flames.count = 0;
        flames.spawn(at, {1.0f, 1.0f}, 0.0f, {}, {}, 0.0f, static_cast<float>(step) / flames.frameRate);
        flames.upload();
        campfire_->particles->draw();
        const Rgba seen = read(0).at(static_cast<int>(middle.x), static_cast<int>(middle.y));
        const Rgba expected = colourOf(step % 16);
        EXPECT_LE(std::abs(seen.r - expected.r) + std::abs(seen.g - expected.g) + std::abs(seen.b - expected.b), 6)
            << "age " << step << "/20 s should show frame " << step % 16;
    }
}

TEST_F(CampfireGL, EmptyGroupsDrawNothingAndLeaveTheBlendFunctionAlone) {
    // Before the first update no particle lives.
    glBlendFunc(GL_CONSTANT_COLOR, GL_CONSTANT_ALPHA);
    drawParticlesAndMask();
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(source, GL_CONSTANT_COLOR);
    EXPECT_EQ(destination, GL_CONSTANT_ALPHA);
    EXPECT_EQ(fractionOfColour(read(0), kNight), 1.0);
    const Image copy = read(1);
    EXPECT_EQ(fractionOfColour(copy, kNight), 1.0);
    for (const Rgba& p : copy.pixels)
        ASSERT_EQ(p.a, 255);
}

namespace {

constexpr int kFrameWidth = 160, kFrameHeight = 120;
constexpr int kFireCamera = 2; // the camera the tour orbits the fire with

// Two seconds of the demo's frame updates, from the camera at the fire.
void burnTwoSeconds() {
    cameras->index = kFireCamera;
    for (int frame = 0; frame < 60; ++frame)
        updateFrame(1.0 / 30.0);
}

// Where a world point lands on the window, in GL's rows (bottom up).
glm::vec2 windowPixelOf(const glm::vec3& world) {
    const Camera& camera = *cameras->current();
    const glm::vec4 clip = camera.getProjectionMatrix() * camera.getViewMatrix() * glm::vec4(world, 1.0f);
    return (glm::vec2(clip) / clip.w * 0.5f + 0.5f) * glm::vec2(kFrameWidth, kFrameHeight);
}

} // namespace

// The frame renderer's own passes, not a copy of them: the smoke's mask goes
// into the alpha of the second target, and the heat haze into the picture.
TEST(CampfireInTheFrame, SmokeMasksTheSecondTargetAndTheHazeShimmersInThePicture) {
    DemoHarness demo(kFrameWidth, kFrameHeight);
    ASSERT_TRUE(demo.ok());
    ASSERT_NE(campfire, nullptr);
    burnTwoSeconds();
    ASSERT_GT(campfire->smoke->count, 5u);
    demo.render();

    std::vector<Rgba> copy(kFrameWidth * kFrameHeight);
    glBindTexture(GL_TEXTURE_2D, frameRenderer->getSceneMaskTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, copy.data());
    // Smoke starts 1.2 above the fire and its sprites reach at most 0.4
    // below their particles: every partly masked pixel lies above the fire.
    const float fireRow = windowPixelOf(campfire->lightBase - glm::vec3(0.0f, 4.0f, 0.0f)).y;
    int masked = 0, maskedLow = 0;
    for (int row = 0; row < kFrameHeight; ++row)
        for (int x = 0; x < kFrameWidth; ++x) {
            const uint8_t alpha = copy[row * kFrameWidth + x].a;
            if (alpha > 0 && alpha < 255)
                ++(row > fireRow ? masked : maskedLow);
        }
    EXPECT_GT(masked, kFrameWidth * kFrameHeight / 50) << "no smoke mask in the second target";
    EXPECT_EQ(maskedLow, 0) << "masked below the smoke";

    const Image picture = demo.readFrame();
    demo.render();
    ASSERT_TRUE(demo.readFrame().pixels == picture.pixels) << "the same state should draw the same picture";
    campfire->haze->time = std::fmod(campfire->haze->time + 0.3f, 1.0f);
    demo.render();
    const Image shimmered = demo.readFrame();
    int moved = 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        moved += picture.pixels[i] != shimmered.pixels[i] ? 1 : 0;
    EXPECT_GT(moved, 20) << "another haze phase should move the picture above the fire";
}

// Every effect image is missing: for each, the loader names the file and
// the effect adds its own line, and the demo still draws. A sprite group
// without its image is left out, as if it had no particles; drawn with the
// empty texture it would put opaque black squares over the fire.
TEST(EffectImages, EachMissingImageIsNamedAndTheEffectDrawsWithoutIt) {
    struct Report {
        const char* file;
        const char* effectLine;
        int effects; // how many effects read the image
    };
    const Report reports[] = {{"fire.png", "Failed to load fire texture", 1},
                              {"smoke.png", "Failed to load smoke texture", 1},
                              {"waterDuDv.png", "Failed to load dUdV map", 2},
                              {"waterNormal.png", "Failed to load the normal map", 1}};
    ScratchRuntimeTree::MissingTextures missing;
    for (const Report& r : reports)
        missing.names.push_back(r.file);
    ScratchRuntimeTree tree(missing);
    ::testing::internal::CaptureStdout();
    DemoHarness demo(kFrameWidth, kFrameHeight);
    const std::string out = ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(demo.ok());
    for (const Report& r : reports) {
        const std::string path = std::string("../Textures/") + r.file;
        const std::string report =
            "Failed to open file '" + path + "'\n" + path + ": No such file or directory\n" + r.effectLine + "\n";
        int seen = 0;
        for (size_t at = out.find(report); at != std::string::npos; at = out.find(report, at + 1))
            ++seen;
        EXPECT_EQ(seen, r.effects) << r.file << " in:\n" << out;
    }

    burnTwoSeconds();
    demo.render();
    EXPECT_TRUE(frameRenderer->isWaterVisible());
    // Flames are added to the picture, so their black squares would not
    // show; smoke is blended over it.
    const Image picture = demo.readFrame();
    ASSERT_GT(campfire->smoke->count, 5u);
    const std::uint32_t puffs = campfire->smoke->count;
    campfire->smoke->count = 0;
    demo.render();
    campfire->smoke->count = puffs;
    EXPECT_TRUE(demo.readFrame().pixels == picture.pixels) << "smoke drawn without its image";
}

TEST(ParticleSystem, AnEmitterOutlivingItsSystemIsLeftWithoutOne) {
    GLTestContext context(32, 32);
    ASSERT_TRUE(context.ok());
    auto system = std::make_unique<rtr::Particles::System>();
    rtr::Particles::Group* group = system->addGroup();
    auto first = std::make_unique<rtr::Fire::Emitter>(system.get(), kFire, group, group);
    rtr::Fire::Emitter second(system.get(), kFire, group, group);
    first.reset();
    ASSERT_EQ(system->emitters, std::vector<rtr::Particles::Emitter*>{&second});
    system.reset();
    EXPECT_EQ(second.system, nullptr);
    // Its destructor must not reach for the freed system (ASan/valgrind
    // would say so; here it simply must not crash).
}
