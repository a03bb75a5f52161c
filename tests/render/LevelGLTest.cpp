// The Level: lights keyed and uploaded, draw order and state (opaque, sky,
// then transparent blended without depth writes), the fire light's shadow
// cube map on unit 2, through a comparing sampler, only while shadows are
// on, and what it releases.

#include "app/AppState.h"
#include "render/Level.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"
#include "scene/Frustum.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "support/GLTestContext.h"
#include "support/Image.h"
#include "support/OffscreenTarget.h"
#include "support/TestMeshes.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

class LevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        lit_ = std::make_unique<ShaderProgram>("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
        rtr::setSamplerUnits(*lit_, {{"depth_map", 2}});
        depth_ = std::make_unique<ShaderProgram>("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                                                 "../Shader/ODSMfirstPass.frag");
        matrices_ = rtr::blocks::createBlockBuffer(rtr::blocks::kMatrices, rtr::blocks::kMatrices.size);
        moon_ = std::make_unique<PointLight>(glm::vec3(0, 5, 5), glm::vec3(1.0f), 20.0f);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    }

    // A square of the given colour (alpha included) at `at`; its material
    // goes to `materials`, which the Level takes over.
    ImportObject* square(glm::vec3 at, glm::vec4 colour, std::vector<Material*>& materials) {
        auto* material = new Material(lit_.get(), colour, glm::vec4(1.0f), glm::vec4(0.0f), glm::vec4(0.0f), 0.0f,
                                      "m" + std::to_string(materials.size()));
        materials.push_back(material);
        return new ImportObject(glm::translate(glm::mat4(1.0f), at), lit_.get(), depth_.get(), makeSquareMesh(),
                                material, nullptr, {});
    }

    std::unique_ptr<Level> makeLevel(Level::ObjectList opaque, Level::ObjectList transparent,
                                     std::vector<Material*> materials) {
        auto level = std::make_unique<Level>(glm::mat4(1.0f), lit_.get(), std::move(opaque), std::move(transparent),
                                             Level::ObjectList{}, Level::ObjectList{}, std::vector<PointLight*>{},
                                             std::move(materials), nullptr);
        level->addLight(moon_.get());
        return level;
    }

    // Camera at (0, 0, 2) looking down -z; returns the frame.
    Image render(Level& level) {
        target_.bind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const glm::vec3 eye(0, 0, 2);
        const glm::mat4 view = glm::lookAt(eye, glm::vec3(0), glm::vec3(0, 1, 0));
        const glm::mat4 projection = glm::perspective(glm::radians(90.0f), 1.5f, 0.1f, 100.0f);
        glUseProgram(lit_->program);
        glUniformMatrix4fv(glGetUniformLocation(lit_->program, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(view));
        glUniformMatrix4fv(glGetUniformLocation(lit_->program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(projection));
        const glm::mat4 sky = projection * view * glm::translate(glm::mat4(1.0f), eye);
        rtr::blocks::writeMatrices(*matrices_, rtr::blocks::matrices::kTransform, &sky);
        level.update(0.0);
        level.setEyePosition(eye);
        level.draw(Frustum::disabled());
        glFinish();
        return readPixels(0, 0, kWidth, kHeight);
    }

    static constexpr int kWidth = 96, kHeight = 64;
    GLTestContext context_{kWidth, kHeight};
    OffscreenTarget target_{kWidth, kHeight};
    std::unique_ptr<ShaderProgram> lit_, depth_;
    std::unique_ptr<rtr::UniformBuffer> matrices_;
    std::unique_ptr<PointLight> moon_;
};

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace

TEST_F(LevelTest, LightsAreKeyedByListPositionAndUploaded) {
    std::vector<Material*> none;
    auto level = makeLevel({}, {}, none);
    PointLight a({1, 2, 3}, {0.5f, 0.25f, 0.125f}, 7.0f), b({0, 80, 0}, {1, 1, 1}, 1000.0f),
        c({0, 0, -80}, {1, 1, 1}, 100.0f);
    level->addLight(&a);
    level->addLight(&b);
    level->addLight(&c);
    ASSERT_EQ(level->lightCount(), 4);
    EXPECT_EQ(moon_->lightIndex, 2);
    EXPECT_EQ(a.lightIndex, 3);
    EXPECT_EQ(c.lightIndex, 5);
    EXPECT_EQ(level->shadowMapOfLight(2), -1);
    moon_->shadowMap = 42;
    EXPECT_EQ(level->shadowMapOfLight(2), 42);
    EXPECT_EQ(level->shadowMapOfLight(9), -1);

    level->update(0.0);
    EXPECT_EQ(level->lastLightsUploadSize(), 208u);
    GLint buffer = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, rtr::blocks::kLights.point, &buffer);
    ASSERT_NE(buffer, 0);
    std::byte uploaded[208];
    glBindBuffer(GL_UNIFORM_BUFFER, static_cast<GLuint>(buffer));
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, 208, uploaded);
    int32_t count = 0;
    float intensity = 0.0f, x = 0.0f;
    std::memcpy(&count, uploaded, 4);
    std::memcpy(&x, uploaded + 16 + 48, 4);
    std::memcpy(&intensity, uploaded + 16 + 48 + 28, 4);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(intensity, 28.0f);
}

TEST_F(LevelTest, AFifthLightIsLeftOutOfTheBlockWithoutHarm) {
    std::vector<Material*> none;
    auto level = makeLevel({}, {}, none);
    std::vector<std::unique_ptr<PointLight>> more;
    for (int i = 0; i < 4; ++i) {
        more.push_back(std::make_unique<PointLight>(glm::vec3(float(i)), glm::vec3(1.0f), 1.0f));
        level->addLight(more.back().get());
    }
    ASSERT_EQ(level->lightCount(), 5);
    while (glGetError() != GL_NO_ERROR) {
    }
    level->update(0.0);
    EXPECT_EQ(level->lastLightsUploadSize(), 208u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LevelTest, TransparentBlendsOverTheSkyAndTheSkyNeverCoversOpaque) {
    const glm::vec4 orange(0.9f, 0.5f, 0.1f, 1.0f), green(0.1f, 0.9f, 0.2f, 1.0f);
    const int leftX = kWidth / 2 - 10, rightX = kWidth / 2 + 10, y = kHeight / 2 + 4;

    std::vector<Material*> materials;
    auto skyOnly = makeLevel({}, {}, materials);
    const Image sky = render(*skyOnly);
    skyOnly.reset();

    // The green square drawn opaque, for reference.
    materials.clear();
    auto* solidGreen = square({0.6f, 0, 0}, green, materials);
    auto solid = makeLevel({solidGreen}, {}, materials);
    const Image opaqueGreen = render(*solid);
    solid.reset();

    materials.clear();
    auto* wall = square({-0.6f, 0, 0}, orange, materials);
    auto* glass = square({0.6f, 0, 0}, glm::vec4(glm::vec3(green), 0.5f), materials);
    auto level = makeLevel({wall}, {glass}, materials);
    const Image frame = render(*level);

    EXPECT_NE(frame.at(leftX, y), sky.at(leftX, y)) << "the sky covered an opaque object";
    const Rgba s = sky.at(rightX, y), o = opaqueGreen.at(rightX, y), f = frame.at(rightX, y);
    EXPECT_NE(f, o) << "the transparent square was not blended";
    EXPECT_NE(f, s) << "the transparent square is missing";
    EXPECT_NEAR(f.r, (s.r + o.r) / 2.0, 2.0);
    EXPECT_NEAR(f.g, (s.g + o.g) / 2.0, 2.0);
    EXPECT_NEAR(f.b, (s.b + o.b) / 2.0, 2.0);

    // The state the next pass relies on is restored.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
}

TEST_F(LevelTest, ANearerTransparentObjectCoversAFartherOneWhateverTheirListOrder) {
    const glm::vec4 red(0.9f, 0.1f, 0.1f, 0.7f), blue(0.1f, 0.1f, 0.9f, 0.7f);
    const int x = kWidth / 2, y = kHeight / 2;
    Image frames[2];
    for (int nearFirst = 0; nearFirst < 2; ++nearFirst) {
        std::vector<Material*> materials;
        auto* nearRed = square({0.1f, 0.0f, 0.5f}, red, materials);
        auto* farBlue = square({-0.1f, 0.0f, -0.5f}, blue, materials);
        auto level = makeLevel({}, nearFirst == 1 ? Level::ObjectList{nearRed, farBlue} : Level::ObjectList{farBlue, nearRed},
                               materials);
        frames[nearFirst] = render(*level);
        const Rgba p = frames[nearFirst].at(x, y);
        EXPECT_GT(p.r, p.b + 30) << "the far crown shows in front of the near one (near listed "
                                << (nearFirst == 1 ? "first" : "last") << ")";
    }
    EXPECT_EQ(frames[0].at(x, y), frames[1].at(x, y));
}

TEST_F(LevelTest, ShadowCubeMapGoesToUnitTwoOnlyWhileShadowsAreOn) {
    // The first light (the moon here) owns the shadow map. A map whose every
    // texel is nearer than the wall puts the whole wall in its shadow (a
    // depth map, as the lit program reads it through a comparing sampler).
    std::vector<Material*> materials;
    auto* wall = square({0, 0, 0}, glm::vec4(0.8f, 0.8f, 0.8f, 1.0f), materials);
    auto level = makeLevel({wall}, {}, materials);
    GLuint cube = 0;
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    const float nearDepth = 0.001f;
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, 1, 1, 0, GL_DEPTH_COMPONENT,
                     GL_FLOAT, &nearDepth);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glUseProgram(lit_->program);
    glUniform1i(glGetUniformLocation(lit_->program, "shadowMapping"), 1);
    const int cx = kWidth / 2, cy = kHeight / 2;

    // No shadow map yet: the wall is lit and unit 2 is not touched at all.
    GLuint marker = 0;
    glGenTextures(1, &marker);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_CUBE_MAP, marker);
    glActiveTexture(GL_TEXTURE0);
    level->shadowsEnabled = 1;
    const Rgba lit = render(*level).at(cx, cy);
    EXPECT_NE(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    glActiveTexture(GL_TEXTURE2);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(marker));
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glActiveTexture(GL_TEXTURE0);

    // Shadows switched off: the map exists but is not bound, so the wall
    // stays lit; the unbind at the end still happens.
    moon_->shadowMap = static_cast<int>(cube);
    level->shadowsEnabled = 0;
    EXPECT_EQ(render(*level).at(cx, cy), lit);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_CUBE_MAP), 0);

    // Shadows on: the map is bound on unit 2, read through a comparing
    // sampler that filters bilinearly, and the wall falls in shadow.
    static PFNGLBINDSAMPLERPROC bindSampler;
    static GLuint samplerOnUnitTwo;
    bindSampler = __glewBindSampler;
    samplerOnUnitTwo = 0;
    __glewBindSampler = [](GLuint unit, GLuint sampler) {
        samplerOnUnitTwo = unit == 2 && sampler != 0 ? sampler : samplerOnUnitTwo;
        bindSampler(unit, sampler);
    };
    level->shadowsEnabled = 1;
    const Rgba shadowed = render(*level).at(cx, cy);
    __glewBindSampler = bindSampler;
    EXPECT_LT(shadowed.r + shadowed.g + shadowed.b, lit.r + lit.g + lit.b - 60) << "the wall must be darker";
    ASSERT_NE(samplerOnUnitTwo, 0u) << "no sampler on unit 2";
    const auto sampling = [](GLenum parameter) {
        GLint value = 0;
        glGetSamplerParameteriv(samplerOnUnitTwo, parameter, &value);
        return value;
    };
    EXPECT_EQ(sampling(GL_TEXTURE_COMPARE_MODE), GL_COMPARE_REF_TO_TEXTURE);
    EXPECT_EQ(sampling(GL_TEXTURE_COMPARE_FUNC), GL_LEQUAL);
    EXPECT_EQ(sampling(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(sampling(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &cube);
    glDeleteTextures(1, &marker);
}

TEST_F(LevelTest, DestructionDeletesItsObjectsAndMaterials) {
    std::vector<Material*> materials;
    auto* opaque = square({0, 0, 0}, glm::vec4(1.0f), materials);
    auto* transparent = square({1, 0, 0}, glm::vec4(1.0f), materials);
    const GLuint vaos[2] = {opaque->getVao(), transparent->getVao()};
    const GLuint ubos[2] = {materials[0]->getUbo(), materials[1]->getUbo()};
    auto level = makeLevel({opaque}, {transparent}, materials);
    const GLuint sky = level->getSky().getCubeMap();
    level.reset();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(glIsVertexArray(vaos[i]), GL_FALSE);
        EXPECT_EQ(glIsBuffer(ubos[i]), GL_FALSE);
    }
    EXPECT_EQ(glIsTexture(sky), GL_FALSE);
}
