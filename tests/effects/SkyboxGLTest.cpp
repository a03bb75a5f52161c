// The night sky: each face image lands where the asset generator painted it
// from (skyDirection), the cube stays behind all scene geometry, a missing
// face is reported and stops the load, and the generated sky shows no seam.

#include "effects/SkyDirections.h"
#include "effects/Skybox.h"
#include "render/GLObjects.h"
#include "render/UniformBlocks.h"
#include "support/GLTestContext.h"
#include "support/Image.h"
#include "support/OffscreenTarget.h"
#include "support/ShaderSource.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace testing_support;
namespace blocks = rtr::blocks;

namespace {

constexpr int kFaceSize = 8;

// Quadrant q (0..3: x half + 2 * y half, FreeImage rows bottom-up) of face f.
Rgba quadrantColour(int face, int quadrant) {
    return {static_cast<uint8_t>(30 + 40 * face), static_cast<uint8_t>(20 + 60 * quadrant),
            static_cast<uint8_t>(250 - 35 * face - 10 * quadrant), 255};
}

class Sky : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        dir_ = std::filesystem::temp_directory_path() /
               ("thalvek-sky-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        matrices_ = blocks::createBlockBuffer(blocks::kMatrices, blocks::kMatrices.size);
        glViewport(0, 0, kSize, kSize);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glEnable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::array<std::string, 6> writeFaces() {
        std::array<std::string, 6> paths;
        for (int f = 0; f < 6; ++f) {
            FIBITMAP* bitmap = FreeImage_Allocate(kFaceSize, kFaceSize, 24);
            for (int y = 0; y < kFaceSize; ++y)
                for (int x = 0; x < kFaceSize; ++x) {
                    const Rgba c = quadrantColour(f, (x * 2 / kFaceSize) + 2 * (y * 2 / kFaceSize));
                    RGBQUAD q{c.b, c.g, c.r, 0};
                    FreeImage_SetPixelColor(bitmap, x, y, &q);
                }
            paths[f] = (dir_ / ("face" + std::to_string(f) + ".png")).string();
            FreeImage_Save(FIF_PNG, bitmap, paths[f].c_str(), 0);
            FreeImage_Unload(bitmap);
        }
        return paths;
    }

    // The sky's transform for an eye at `eye` looking along `direction`.
    void lookAlong(glm::vec3 direction, glm::vec3 eye = glm::vec3(0.0f), float fovDegrees = 60.0f) {
        const glm::vec3 up = std::abs(direction.y) > 0.99f * glm::length(direction) ? glm::vec3(0, 0, 1)
                                                                                    : glm::vec3(0, 1, 0);
        view_ = glm::lookAt(eye, eye + direction, up);
        projection_ = glm::perspective(glm::radians(fovDegrees), 1.0f, 0.1f, 1000.0f);
        const glm::mat4 transform = projection_ * view_ * glm::translate(glm::mat4(1.0f), eye);
        blocks::writeMatrices(*matrices_, blocks::matrices::kTransform, &transform);
    }

    Image drawSky(Skybox& sky) {
        glClear(GL_COLOR_BUFFER_BIT);
        sky.draw();
        glFinish();
        return readPixels(0, 0, kSize, kSize);
    }

    static constexpr int kSize = 64;
    GLTestContext context_{kSize, kSize};
    std::filesystem::path dir_;
    std::unique_ptr<rtr::UniformBuffer> matrices_;
    glm::mat4 view_{1.0f}, projection_{1.0f};
};

} // namespace

TEST_F(Sky, ThirtySixThirtyTwoBitIndices) {
    Skybox sky(writeFaces());
    glBindVertexArray(sky.getVertexArray());
    GLint elements = 0, size = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    ASSERT_NE(elements, 0);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 36 * 4);
    GLuint indices[36] = {};
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof indices, indices);
    const GLuint expected[36] = {0, 1, 2, 2, 3, 0, 1, 4, 7, 7, 2, 1, 4, 5, 6, 6, 7, 4,
                                 5, 0, 3, 3, 6, 5, 3, 2, 7, 7, 6, 3, 5, 4, 1, 1, 0, 5};
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(indices[i], expected[i]) << i;
    glBindVertexArray(0);
}

TEST_F(Sky, EveryFaceTexelIsSeenInTheDirectionItWasPaintedFor) {
    Skybox sky(writeFaces());
    for (int face = 0; face < 6; ++face)
        for (int quadrant = 0; quadrant < 4; ++quadrant) {
            const float s = (quadrant % 2) ? 0.75f : 0.25f;
            const float t = (quadrant / 2) ? 0.75f : 0.25f;
            lookAlong(rtr::sky::skyDirection(face, s, t));
            const Image image = drawSky(sky);
            EXPECT_EQ(image.at(kSize / 2, kSize / 2), quadrantColour(face, quadrant))
                << "face " << face << " quadrant " << quadrant;
        }
}

TEST_F(Sky, TheUpImageIsOverheadAndTheHorizonLevel) {
    Skybox sky(writeFaces());
    lookAlong({0, 1, 0});
    Rgba c = drawSky(sky).at(kSize / 2 - 8, kSize / 2 - 8);
    EXPECT_EQ(c.r, quadrantColour(3, 0).r) << "the zenith must show the up image (face 3, on -Y)";
    lookAlong({0, -1, 0});
    c = drawSky(sky).at(kSize / 2 - 8, kSize / 2 - 8);
    EXPECT_EQ(c.r, quadrantColour(2, 0).r) << "the nadir must show the down image (face 2, on +Y)";
    // Looking along +x (+z on the right), the west face's upper half
    // (FreeImage rows 4-7) is above the horizon, and its columns run from
    // +z on the left of the image file to -z on its right.
    lookAlong({1, 0, 0});
    const Image side = drawSky(sky);
    EXPECT_EQ(side.at(16, 10), quadrantColour(0, 3));
    EXPECT_EQ(side.at(16, kSize - 10), quadrantColour(0, 1));
    EXPECT_EQ(side.at(kSize - 16, 10), quadrantColour(0, 2));
    EXPECT_EQ(side.at(kSize - 16, kSize - 10), quadrantColour(0, 0));
}

TEST_F(Sky, StaysBehindAllGeometryUnderLessWithDepthWrites) {
    Skybox sky(writeFaces());
    // A target with a depth buffer, as every scene pass has.
    OffscreenTarget target(kSize, kSize);
    ASSERT_TRUE(target.complete());
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);

    // A grey wall 900 units ahead, covering the left half of the view.
    auto wall = programFromSource(R"(#version 330 core
layout(location = 0) in vec2 p;
uniform mat4 transform;
void main() { gl_Position = transform * vec4(p.x * 2000.0 - 2000.0, p.y * 2000.0 - 1000.0, -900.0, 1.0); }
)",
                                  "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(0.5, 0.5, 0.5, 1.0); }\n");
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    const float quad[] = {0, 0, 1, 0, 1, 1, 1, 1, 0, 1, 0, 0};
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    lookAlong({0, 0, -1});
    const glm::mat4 transform = projection_ * view_;
    auto drawWall = [&] {
        glUseProgram(wall->program);
        glUniformMatrix4fv(glGetUniformLocation(wall->program, "transform"), 1, GL_FALSE, &transform[0][0]);
        glBindVertexArray(vao);
        glDisable(GL_CULL_FACE);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glEnable(GL_CULL_FACE);
    };
    const Rgba grey{128, 128, 128, 255};

    for (bool skyFirst : {true, false}) {
        SCOPED_TRACE(skyFirst ? "sky drawn first" : "sky drawn last");
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (skyFirst) {
            sky.draw();
            drawWall();
        } else {
            drawWall();
            sky.draw();
        }
        glFinish();
        const Image image = readPixels(0, 0, kSize, kSize);
        EXPECT_EQ(image.at(8, kSize / 2), grey) << "the wall must win";
        const Rgba right = image.at(kSize - 8, kSize / 2);
        EXPECT_NE(right, grey);
        EXPECT_NE(right, (Rgba{255, 0, 255, 255})) << "the sky must pass GL_LESS against a cleared depth";
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
}

TEST_F(Sky, MissingFacePrintsBothLinesAndStopsThere) {
    auto paths = writeFaces();
    paths[3] = (dir_ / "absent-up.png").string();
    ::testing::internal::CaptureStdout();
    Skybox sky(paths);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Failed to open file '" + paths[3] + "'\n" + paths[3] +
                       ": No such file or directory\nFailed to load textures for skybox\n");
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky.getCubeMap());
    for (GLenum face = 0; face < 6; ++face) {
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, face < 3 ? kFaceSize : 0) << "face " << face;
    }
    // The sampling parameters are still set on the partial cube map.
    GLint wrap = 0, filter = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrap);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(filter, GL_LINEAR);
}

TEST_F(Sky, GeneratedSkyHasNoSeamWhereTwoFacesMeet) {
    ASSERT_TRUE(std::filesystem::exists(rtr::sky::kFaceFiles[0])) << "run from bin/ of the run-time tree";
    Skybox sky;
    // Looking at the edge between the west (+X) and south (+Z) faces, a
    // little above the horizon: the edge runs down the middle column.
    lookAlong({1.0f, 0.25f, 1.0f}, glm::vec3(0.0f), 50.0f);
    glViewport(0, 0, kSize, kSize);
    const Image image = drawSky(sky);
    EXPECT_TRUE(matchesReference(image, "effects", "sky-edge"));

    // Column-to-column change across the edge is no larger than elsewhere.
    auto columnStep = [&](int x) {
        double sum = 0.0;
        for (int y = 0; y < kSize; ++y) {
            const Rgba a = image.at(x, y), b = image.at(x + 1, y);
            sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
        return sum / kSize;
    };
    double typical = 0.0;
    int counted = 0;
    for (int x = 2; x < kSize - 3; ++x)
        if (std::abs(x - (kSize / 2 - 1)) > 2) {
            typical += columnStep(x);
            ++counted;
        }
    typical /= counted;
    const double acrossSeam = std::max(columnStep(kSize / 2 - 1), columnStep(kSize / 2 - 2));
    EXPECT_LE(acrossSeam, 2.0 * typical + 1.0) << "typical column step " << typical;
}
