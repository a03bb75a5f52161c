// The fire light's shadow cube map: one pass fills all six faces with the
// distances the lit program decodes, leaving out casters beyond its reach;
// through the program's own frame a box shadows the floor behind it and
// leaves the floor beside it exactly as lit as without shadows, and a plank
// just above the floor lets no light under it; the switches; the debug
// cube; an incomplete framebuffer.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Campfire.h"
#include "render/Level.h"
#include "render/OmniShadowMap.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "support/ChildProcess.h"
#include "support/DemoHarness.h"
#include "support/GLTestContext.h"
#include "support/SceneBuilder.h"
#include "support/TestMeshes.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include <unistd.h>

using namespace testing_support;

namespace {

constexpr int kFace = OmniShadowMap::kSize;

// A model matrix that stands the unit square (facing +z) at `centre`,
// turned to face `towards`.
glm::mat4 facing(const glm::vec3& centre, const glm::vec3& towards) {
    const glm::vec3 z = glm::normalize(towards - centre);
    const glm::vec3 x = glm::normalize(glm::cross(std::abs(z.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0), z));
    const glm::vec3 y = glm::cross(z, x);
    return glm::mat4(glm::vec4(x, 0), glm::vec4(y, 0), glm::vec4(z, 0), glm::vec4(centre, 1));
}

} // namespace

TEST(ShadowPass, OnePassFillsEachFaceWithItsOccludersDistanceAndLeavesTheRestFar) {
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    ShaderProgram lit("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
    ShaderProgram firstPass("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                            "../Shader/ODSMfirstPass.frag");
    ShaderProgram debug("../Shader/shadowDebug.vert", "../Shader/shadowDebug.frag");
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);

    // One unit square on each side of the light, in GL face order, each at
    // its own distance so that swapped faces would show.
    const glm::vec3 lightPosition(1.0f, 2.0f, 3.0f);
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    float distances[6];
    std::vector<Material*> materials{new Material(&lit, glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(0.0f),
                                                  glm::vec4(0.0f), 0.0f, "grey")};
    Level::ObjectList squares;
    for (int i = 0; i < 6; ++i) {
        distances[i] = 2.0f + 0.5f * static_cast<float>(i);
        squares.push_back(new ImportObject(facing(lightPosition + axes[i] * distances[i], lightPosition), &lit,
                                           &firstPass, makeSquareMesh(), materials[0], nullptr, {}));
    }
    // Three squares as fire objects: they cast shadows too.
    Level::ObjectList fire(squares.begin() + 3, squares.end());
    squares.resize(3);
    Level level(glm::mat4(1.0f), &lit, squares, {}, {}, fire, {}, materials, nullptr);
    PointLight light(lightPosition, glm::vec3(1.0f), 1.0f);
    level.addLight(&light);

    auto map = std::make_unique<OmniShadowMap>(&debug, &firstPass, &level, nullptr);
    map->renderShadowPass(light);
    ASSERT_EQ(light.shadowMap, static_cast<int>(map->cubeMap()));

    std::vector<float> depth(kFace * kFace);
    glBindTexture(GL_TEXTURE_CUBE_MAP, map->cubeMap());
    for (int face = 0; face < 6; ++face) {
        std::fill(depth.begin(), depth.end(), -1.0f);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        // The lit program decodes distance = near + depth * (far - near).
        const float d = distances[face];
        const float nearest = d / 100.0f, farthest = std::sqrt(d * d + 0.5f) / 100.0f; // centre and corner
        EXPECT_NEAR(depth[256 * kFace + 256], nearest, 2e-5f) << "face " << face;
        int covered = 0, stray = 0;
        for (float value : depth) {
            if (value == 1.0f)
                continue;
            ++covered;
            if (value < nearest - 2e-5f || value > farthest + 2e-5f)
                ++stray;
        }
        // The square spans tan = +-0.5 / d of the face's +-1024/1023.
        const double side = 2.0 * 0.5 / d * 1023.0 / 1024.0 * (kFace / 2);
        EXPECT_NEAR(covered, side * side, 2.5 * side) << "face " << face;
        EXPECT_EQ(stray, 0) << "face " << face << " holds something other than its square or the far value";
    }

    // Squares wholly beyond the casters' reach (their half-diagonal is 0.71)
    // are left out: the last two, 4 and 4.5 away, with a reach of 3.
    map->renderShadowPass(light, true, 3.0f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, map->cubeMap());
    for (int face = 0; face < 6; ++face) {
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        EXPECT_NEAR(depth[256 * kFace + 256], face < 4 ? distances[face] / 100.0f : 1.0f, 2e-5f) << "face " << face;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    // The map deletes what it made.
    const GLuint cube = map->cubeMap(), framebuffer = map->framebuffer();
    map.reset();
    EXPECT_EQ(glIsTexture(cube), GL_FALSE);
    EXPECT_EQ(glIsFramebuffer(framebuffer), GL_FALSE);
}

TEST(ShadowPass, AnIncompleteFramebufferIsReportedAndTheProgramGoesOn) {
    const auto result = runInChild([] {
        GLTestContext context(64, 64);
        if (!context.ok())
            _exit(99);
        ShaderProgram lit("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
        ShaderProgram firstPass("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                                "../Shader/ODSMfirstPass.frag");
        ShaderProgram debug("../Shader/shadowDebug.vert", "../Shader/shadowDebug.frag");
        // A driver that cannot render into a depth cube map.
        glCheckFramebufferStatus = [](GLenum) -> GLenum { return GL_FRAMEBUFFER_UNSUPPORTED; };
        Level level(glm::mat4(1.0f), &lit, {}, {}, {}, {}, {}, {}, nullptr);
        PointLight light(glm::vec3(0.0f), glm::vec3(1.0f), 1.0f);
        OmniShadowMap map(&debug, &firstPass, &level, nullptr);
        map.renderShadowPass(light);
        glFinish();
    });
    ASSERT_TRUE(result.exited) << result.err;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "ERROR: incomplete framebuffer\n");
}

namespace {

// The six faces of the map as stored, 24-bit depth in 32-bit words.
std::vector<GLuint> readFaces(GLuint cube) {
    std::vector<GLuint> texels(6 * kFace * kFace);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (int face = 0; face < 6; ++face)
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                      texels.data() + face * kFace * kFace);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return texels;
}

} // namespace

TEST(ShadowPass, SendingCastersOnlyToTheFacesTheyReachLeavesTheMapTheSame) {
    // The generated clearing: the ground around the light reaches all six
    // faces, the logs, stones and trees one or a few, some across a face's
    // edge. Wherever the light stands, the map with the casters culled per
    // face is the map with every caster sent to every face, texel for texel.
    DemoHarness demo(64, 36);
    ASSERT_TRUE(demo.ok());
    PointLight& light = *level->lights().front();
    const glm::vec3 fire = light.position;
    for (const glm::vec3& offset : {glm::vec3(0.0f), glm::vec3(2.5f, -3.2f, 1.5f), glm::vec3(-7.0f, -2.0f, -9.0f),
                                    glm::vec3(11.0f, 1.0f, 6.0f)}) {
        light.position = fire + offset;
        updateFaceMatrices(light);
        shadowMap->renderShadowPass(light, false);
        const std::vector<GLuint> everywhere = readFaces(shadowMap->cubeMap());
        shadowMap->renderShadowPass(light, true, std::numeric_limits<float>::infinity());
        const std::vector<GLuint> culled = readFaces(shadowMap->cubeMap());
        int differing[6] = {}, covered = 0;
        for (std::size_t i = 0; i < culled.size(); ++i) {
            differing[i / (kFace * kFace)] += culled[i] != everywhere[i] ? 1 : 0;
            covered += everywhere[i] != 0xffffffffu ? 1 : 0;
        }
        for (int face = 0; face < 6; ++face)
            EXPECT_EQ(differing[face], 0) << "face " << face << ", light at offset " << offset.x << ", " << offset.y
                                          << ", " << offset.z;
        EXPECT_GT(covered, 6 * kFace * kFace / 4) << "the casters should fill much of the map";
    }
}

namespace {

// The program's own frame on a small scene: a 20 x 20 floor, a 1.5 box on it
// from (1.5, 0, -0.75), a 1.5 plank 0.25 above the floor from (2, 0.25, -3.5),
// and no fire object, so the fire light (the first light, the one with the
// shadow map) hangs at (0, 4, 0).
class ShadowsInTheFrame : public ::testing::Test {
protected:
    static constexpr int kWidth = 192, kHeight = 128;

    static std::string writeScene() {
        const auto folder = std::filesystem::temp_directory_path() / ("thalvek-shadow-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        SceneBuilder b;
        const unsigned grey = b.material({.name = "floor", .diffuse = aiColor4D(0.6f, 0.6f, 0.6f, 1.0f)});
        const unsigned blue = b.material({.name = "box", .diffuse = aiColor4D(0.4f, 0.4f, 0.8f, 1.0f)});
        b.root({"root", {}, {}, {{"ground", {b.floor(grey, 20.0f)}, {-10, 0, -10}},
                                 {"crate", {b.box(blue, 1.5f)}, {1.5f, 0, -0.75f}},
                                 {"plank", {b.floor(blue, 1.5f)}, {2.0f, 0.25f, -3.5f}}}});
        const std::string path = (folder / "shadow.dae").string();
        EXPECT_TRUE(b.exportCollada(path));
        return path;
    }

    void SetUp() override { ASSERT_TRUE(demo_->ok()); }
    void TearDown() override {
        demo_.reset();
        tree_.reset();
        std::filesystem::remove_all(std::filesystem::path(scene_).parent_path());
    }

    void look(const glm::vec3& from, const glm::vec3& at) {
        Camera& camera = *cameras->current();
        camera.position = from;
        camera.direction = glm::normalize(at - from);
        camera.up = glm::vec3(0, 1, 0);
        camera.refreshView();
    }

    void setShadows(int on) {
        inputController->shadows = on;
        level->shadowsEnabled = on;
    }

    // Frames in which no time passes: the campfire (at the origin, as the
    // scene has no fire object) makes no flame, so its light rests at its
    // base and keeps its intensity, and pictures compare light for light.
    Image frame(int frames = 1) {
        demo_->advance(frames, 0.0);
        return demo_->readFrame();
    }

    // The picture's pixel (column, row from the top) where a world point
    // lands, if on screen.
    static std::optional<glm::ivec2> pixelOf(const glm::vec3& world) {
        const Camera& camera = *cameras->current();
        const glm::vec4 clip = camera.getProjectionMatrix() * camera.getViewMatrix() * glm::vec4(world, 1.0f);
        if (clip.w <= 0.0f)
            return std::nullopt;
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        const int x = static_cast<int>(std::floor((ndc.x + 1.0f) / 2.0f * kWidth));
        const int y = static_cast<int>(std::floor((ndc.y + 1.0f) / 2.0f * kHeight));
        if (x < 0 || x >= kWidth || y < 0 || y >= kHeight)
            return std::nullopt;
        return glm::ivec2(x, kHeight - 1 - y);
    }

    static int brightness(const Image& image, const glm::vec3& world) {
        const auto p = pixelOf(world);
        EXPECT_TRUE(p.has_value());
        if (!p)
            return 0;
        const Rgba c = image.at(p->x, p->y);
        return c.r + c.g + c.b;
    }

    std::string scene_ = writeScene();
    std::unique_ptr<ScratchRuntimeTree> tree_ = std::make_unique<ScratchRuntimeTree>(scene_);
    std::unique_ptr<DemoHarness> demo_ = std::make_unique<DemoHarness>(kWidth, kHeight);
};

} // namespace

TEST_F(ShadowsInTheFrame, TheBoxShadowsTheFloorBehindItLeavesTheFloorBesideItAsLitAndNoLightLeaksUnderAPlank) {
    ASSERT_EQ(level->lights().front()->position, glm::vec3(0, 4, 0));
    look({3.0f, 9.0f, 6.0f}, {3.0f, 0.0f, 1.0f});
    const Image on = frame(2);
    setShadows(0);
    const Image off = frame();

    // Behind the box, seen from the light: in shadow only with shadows on,
    // where only the moonlight is left.
    const glm::vec3 behind(4.0f, 0.0f, 0.0f);
    EXPECT_LT(brightness(on, behind) * 10, brightness(off, behind) * 6) << "no shadow behind the box";
    // A hand's width from where the box stands, just as dark: no light
    // leaks in under it.
    const glm::vec3 atTheFoot(3.12f, 0.0f, 0.0f);
    EXPECT_LE(brightness(on, atTheFoot), brightness(on, behind) + 6) << "light leaks under the box";
    EXPECT_GT(brightness(off, atTheFoot), brightness(off, behind)) << "the foot is nearer the light";

    // Beside the box the floor is lit the same with and without shadows,
    // texel for texel: no acne, and no seam where the floor passes from the
    // map's -Y face to its +X and +Z faces (at x = 4 and z = 4).
    int compared = 0, worst = 0;
    for (float x = 2.0f; x <= 6.0f; x += 0.1f)
        for (float z = 2.5f; z <= 6.0f; z += 0.1f) {
            const auto p = pixelOf({x, 0.0f, z});
            if (!p)
                continue;
            const Rgba a = on.at(p->x, p->y), b = off.at(p->x, p->y);
            worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            ++compared;
        }
    EXPECT_GT(compared, 1000);
    EXPECT_LE(worst, 1) << "the lit floor changes with shadows on";

    // Seen through the gap under the plank (its underside is culled): the
    // floor 0.25 below it, some 0.35 from it along the light's rays, stays in
    // its shadow; a depth bias of 6 % of the distance would light it.
    look({4.25f, 0.12f, -2.75f}, {2.75f, 0.0f, -2.75f});
    setShadows(1);
    const Image underOn = frame(2);
    setShadows(0);
    const Image underOff = frame();
    const glm::vec3 underThePlank(2.75f, 0.0f, -2.75f);
    EXPECT_LT(brightness(underOn, underThePlank) * 10, brightness(underOff, underThePlank) * 6)
        << "light leaks under the plank";
}

TEST_F(ShadowsInTheFrame, ShadowsOffSkipThePassAndTheMatrixUpdateOnlyTheFirstLightHasAMapAndItStaysFilled) {
    frame();
    const auto lights = level->lights();
    ASSERT_EQ(lights.size(), 4u);
    EXPECT_EQ(lights[0]->shadowMap, static_cast<int>(shadowMap->cubeMap()));
    for (std::size_t i = 1; i < lights.size(); ++i)
        EXPECT_EQ(lights[i]->shadowMap, -1) << "light " << i;

    // Shadows off, the fire light moves: neither its matrices nor the map
    // follow it.
    setShadows(0);
    PointLight& fire = *lights[0];
    fire.shadowMap = -1;
    const glm::mat4 before = fire.faceViews[0];
    fire.position += glm::vec3(1.0f, 0.0f, 0.0f);
    frame();
    EXPECT_EQ(fire.shadowMap, -1) << "the shadow pass ran with shadows off";
    EXPECT_EQ(fire.faceViews[0], before) << "the face matrices were updated with shadows off";

    // Back on, in wireframe: the camera's passes draw lines, but the map is
    // still filled, so the floor 4 below the light lies in its -Y face.
    setShadows(1);
    inputController->wireframe = 1;
    frame();
    EXPECT_EQ(fire.shadowMap, static_cast<int>(shadowMap->cubeMap()));
    EXPECT_EQ(glm::vec3(fire.faceViews[0] * glm::vec4(fire.position, 1.0f)), glm::vec3(0.0f));
    std::vector<float> below(kFace * kFace);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowMap->cubeMap());
    glGetTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, 0, GL_DEPTH_COMPONENT, GL_FLOAT, below.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_NEAR(below[256 * kFace + 256], 0.04f, 1e-4f);
    EXPECT_EQ(std::count(below.begin(), below.end(), 1.0f), 0) << "the floor fills the whole face";
}

TEST_F(ShadowsInTheFrame, TheDebugCubeShowsThroughTheBoxAtTheLightsPlace) {
    // The light behind the box as the camera sees it.
    const glm::vec3 light(2.25f, 0.75f, -4.0f);
    campfire->lightBase = light; // where the fire light rests without flames
    level->lights().front()->position = light;
    look({2.25f, 0.75f, 8.0f}, light);
    const Image plain = frame();
    inputController->shadowDebugView = 1;
    const Image debug = frame();

    // The cube's outline on screen, from its eight corners.
    glm::ivec2 low(kWidth, kHeight), high(-1, -1);
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 offset(corner & 1 ? 1 : -1, corner & 2 ? 1 : -1, corner & 4 ? 1 : -1);
        const auto p = pixelOf(light + offset);
        ASSERT_TRUE(p.has_value());
        low = glm::min(low, *p);
        high = glm::max(high, *p);
    }
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (plain.at(x, y) != debug.at(x, y))
                ++(x >= low.x - 1 && x <= high.x + 1 && y >= low.y - 1 && y <= high.y + 1 ? inside : outside);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, (high.x - low.x) * (high.y - low.y) / 2);
    // Where the box hides the light, the cube is drawn over it: grey, the
    // stored distance.
    const auto centre = pixelOf(light);
    ASSERT_TRUE(centre.has_value());
    const Rgba box = plain.at(centre->x, centre->y), cube = debug.at(centre->x, centre->y);
    EXPECT_GT(box.b, box.r) << "the box should hide the light";
    EXPECT_EQ(cube.r, cube.g);
    EXPECT_EQ(cube.g, cube.b);
}
