// Exact probes of the lit program: one textured square imported through the
// real COLLADA path (so its tangent frame is the importer's), one light, one
// material, a known normal map, and chosen pixels compared with the shading
// worked out on the CPU: Lambert and Phong terms, the 1 / (1 + d^2) falloff,
// the tangent frame and its handedness, the night ambient, the exponential
// tone curve and the fog.

#include "app/AppState.h"
#include "render/Level.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "scene/AssimpLoader.h"
#include "scene/Frustum.h"
#include "scene/ImportObject.h"
#include "support/GLTestContext.h"
#include "support/Image.h"
#include "support/OffscreenTarget.h"
#include "support/SceneBuilder.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>

using namespace testing_support;

namespace {

constexpr int kSize = 48;
constexpr float kSquare = 40.0f;
const glm::vec3 kAlbedoBytes(200.0f, 150.0f, 100.0f);
// The normal map's one texel: tilted towards +u and +v of the texture.
const glm::vec3 kNormalBytes(166.0f, 179.0f, 230.0f);

// The scene's shading constants, as the lit program has them.
const glm::vec3 kNightAmbient(0.035f, 0.045f, 0.075f);
const glm::vec3 kFogColour(0.015f, 0.022f, 0.045f);
constexpr float kFogDensity = 0.0045f;
constexpr float kExposure = 1.4f;

struct MaterialValues {
    glm::vec3 ambient{0.3f, 0.3f, 0.3f};
    glm::vec3 specular{0.0f};
    float shininess = 0.0f;
};

struct View {
    glm::vec3 eye;
    glm::mat4 view, projection;
};

// The colour the lit program should write at world point p on the square,
// whose tangent points along +x (-x when its UVs are mirrored).
glm::vec3 expectedColour(const glm::vec3& p, const glm::vec3& eye, const PointLight& light,
                         const MaterialValues& material, bool normalMapping, bool mirroredU) {
    const glm::vec3 albedo = kAlbedoBytes / 255.0f;
    glm::vec3 n(0.0f, 0.0f, 1.0f);
    if (normalMapping) {
        const glm::vec3 t(mirroredU ? -1.0f : 1.0f, 0.0f, 0.0f);
        // v runs along +y either way, so the bitangent does too: a mirrored
        // u makes the frame left-handed.
        const glm::vec3 b(0.0f, 1.0f, 0.0f);
        const glm::vec3 m = kNormalBytes / 255.0f * 2.0f - 1.0f;
        n = glm::normalize(glm::mat3(t, b, n) * m);
    }
    glm::vec3 lit = albedo * material.ambient * kNightAmbient * 5.0f;
    const glm::vec3 toLight = light.position - p;
    const float d2 = glm::dot(toLight, toLight);
    const glm::vec3 l = toLight / std::sqrt(d2);
    const glm::vec3 radiance = light.colour * (light.intensity * 4.0f) / (1.0f + d2);
    const float lambert = std::max(glm::dot(n, l), 0.0f);
    glm::vec3 term = albedo * lambert;
    if (material.shininess > 0.0f && lambert > 0.0f) {
        const glm::vec3 r = glm::reflect(-l, n);
        term += material.specular * std::pow(std::max(glm::dot(r, glm::normalize(eye - p)), 0.0f), material.shininess);
    }
    lit += term * radiance;
    glm::vec3 mapped = glm::vec3(1.0f) - glm::exp(-lit * kExposure);
    const float fog = 1.0f - std::exp(-kFogDensity * glm::length(eye - p));
    return glm::mix(mapped, kFogColour, std::clamp(fog, 0.0f, 0.85f));
}

class LitShading : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        ASSERT_TRUE(target_.complete());
        phongProgram = new ShaderProgram("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
        rtr::setSamplerUnits(*phongProgram, {{"depth_map", 2}});
        shadowPassProgram = new ShaderProgram("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                                              "../Shader/ODSMfirstPass.frag");
        dir_ = std::filesystem::temp_directory_path() / ("thalvek-lit-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        writeTexel("albedo.png", kAlbedoBytes);
        writeTexel("bumps.png", kNormalBytes);
    }

    void TearDown() override {
        level_.reset();
        delete phongProgram;
        delete shadowPassProgram;
        phongProgram = shadowPassProgram = nullptr;
        std::filesystem::remove_all(dir_);
    }

    void writeTexel(const std::string& name, const glm::vec3& bytes) {
        FIBITMAP* bitmap = FreeImage_Allocate(2, 2, 24);
        RGBQUAD colour{static_cast<BYTE>(bytes.b), static_cast<BYTE>(bytes.g), static_cast<BYTE>(bytes.r), 0};
        for (unsigned y = 0; y < 2; ++y)
            for (unsigned x = 0; x < 2; ++x)
                FreeImage_SetPixelColor(bitmap, x, y, &colour);
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, (dir_ / name).c_str(), 0));
        FreeImage_Unload(bitmap);
    }

    // The square, centred on the origin, imported as the program imports
    // its scene.
    void importSquare(const MaterialValues& values, bool mirroredU) {
        SceneBuilder builder;
        MaterialSpec material{"probe"};
        material.ambient = aiColor4D(values.ambient.r, values.ambient.g, values.ambient.b, 1.0f);
        material.specular = aiColor4D(values.specular.r, values.specular.g, values.specular.b, 1.0f);
        material.shininess = values.shininess;
        material.diffuseTexture = "textures/albedo.png";
        material.normalTexture = "textures/bumps.png";
        const unsigned mesh = builder.square(builder.material(material), kSquare, mirroredU);
        builder.root({"root", {}, {}, {{"square", {mesh}, {-kSquare / 2, -kSquare / 2, 0}, {}}}});
        const std::string file = (dir_ / "square.dae").string();
        ASSERT_TRUE(builder.exportCollada(file));
        const aiScene* scene = loader_.loadScene(file);
        ASSERT_NE(scene, nullptr);
        loader_.loadTextures(scene, dir_.string() + "/");
        level_.reset(loader_.createLevel(scene, kSize, kSize, context_.window()));
        ASSERT_EQ(level_->getOpaqueObjects().size(), 1u);
        level_->addLight(&light_);
        level_->update(0.0);
    }

    static View viewFrom(float distance) {
        const glm::vec3 eye(0.0f, 0.0f, distance);
        return {eye, glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f)),
                glm::perspective(glm::radians(50.0f), 1.0f, 0.1f, 1000.0f)};
    }

    Image render(const View& view, bool normalMapping) {
        target_.bind();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        const GLuint program = phongProgram->program;
        glUseProgram(program);
        glUniformMatrix4fv(glGetUniformLocation(program, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(view.view));
        glUniformMatrix4fv(glGetUniformLocation(program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(view.projection));
        glUniform1i(glGetUniformLocation(program, "normalMapping"), normalMapping ? 1 : 0);
        glUniform1i(glGetUniformLocation(program, "shadowMapping"), 0);
        level_->getOpaqueObjects().front()->draw(Frustum::disabled());
        glFinish();
        return readPixels(0, 0, kSize, kSize);
    }

    // Where the ray through the centre of pixel (x, y) of the read-back
    // image (rows top-down) meets the plane z = 0.
    static glm::vec3 pointOnSquare(const View& view, int x, int y) {
        const glm::vec2 ndc((x + 0.5f) / kSize * 2.0f - 1.0f, 1.0f - (y + 0.5f) / kSize * 2.0f);
        const glm::mat4 inverse = glm::inverse(view.projection * view.view);
        glm::vec4 far = inverse * glm::vec4(ndc, 1.0f, 1.0f);
        const glm::vec3 direction = glm::normalize(glm::vec3(far) / far.w - view.eye);
        return view.eye + direction * (-view.eye.z / direction.z);
    }

    // Every probed pixel within one step per channel of the CPU's value.
    void expectProbes(const MaterialValues& material, const View& view, bool normalMapping, bool mirroredU) {
        const Image frame = render(view, normalMapping);
        for (int y = 4; y < kSize; y += 10)
            for (int x = 4; x < kSize; x += 10) {
                const glm::vec3 want = expectedColour(pointOnSquare(view, x, y), view.eye, light_, material,
                                                      normalMapping, mirroredU) *
                                       255.0f;
                const Rgba got = frame.at(x, y);
                EXPECT_NEAR(got.r, want.r, 1.0) << "pixel " << x << ", " << y;
                EXPECT_NEAR(got.g, want.g, 1.0) << "pixel " << x << ", " << y;
                EXPECT_NEAR(got.b, want.b, 1.0) << "pixel " << x << ", " << y;
            }
    }

    GLTestContext context_{kSize, kSize};
    OffscreenTarget target_{kSize, kSize};
    std::filesystem::path dir_;
    AssimpLoader loader_;
    std::unique_ptr<Level> level_;
    PointLight light_{{2.0f, -1.5f, 2.5f}, {0.9f, 0.6f, 0.3f}, 2.0f};
};

} // namespace

TEST_F(LitShading, DiffuseFalloffAmbientToneAndFog) {
    const MaterialValues material;
    importSquare(material, false);
    expectProbes(material, viewFrom(3.0f), false, false);
    // Far away, the fog takes a fifth of the picture.
    light_.position = {0.0f, 0.0f, 8.0f};
    light_.intensity = 40.0f;
    level_->update(0.0);
    expectProbes(material, viewFrom(50.0f), false, false);
}

TEST_F(LitShading, SpecularReflectsTheLightAboutTheNormal) {
    MaterialValues material;
    material.specular = {0.8f, 0.8f, 0.8f};
    material.shininess = 12.0f;
    importSquare(material, false);
    expectProbes(material, viewFrom(3.0f), false, false);
}

TEST_F(LitShading, NormalMapInTheImportersTangentFrame) {
    MaterialValues material;
    material.specular = {0.5f, 0.5f, 0.5f};
    material.shininess = 8.0f;
    importSquare(material, false);
    expectProbes(material, viewFrom(3.0f), true, false);
}

TEST_F(LitShading, MirroredTextureCoordinatesFlipTheTangentFrame) {
    MaterialValues material;
    material.specular = {0.5f, 0.5f, 0.5f};
    material.shininess = 8.0f;
    importSquare(material, true);
    expectProbes(material, viewFrom(3.0f), true, true);
}
