// Buffer classes bind their own targets and stay bound when new; shared
// blocks sit at their fixed binding points; "Matrices" writes land at their
// byte offsets.

#include "render/Buffer.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"
#include "support/GLTestContext.h"
#include "support/ShaderSource.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <memory>

using testing_support::GLTestContext;
namespace blocks = rtr::blocks;

namespace {

GLint boundTo(GLenum binding) {
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return name;
}

class Buffers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        glGenVertexArrays(1, &vao_); // the element-array binding lives in a vertex array
        glBindVertexArray(vao_);
    }
    void TearDown() override { glDeleteVertexArrays(1, &vao_); }

    std::unique_ptr<ShaderProgram> program(const std::string& fragmentDeclarations, const std::string& use) {
        return testing_support::programFromSource(
            "#version 330 core\nlayout(location = 0) in vec3 p;\nvoid main() { gl_Position = vec4(p, 1.0); }\n",
            "#version 330 core\n" + fragmentDeclarations + "out vec4 colour;\nvoid main() { colour = " + use +
                "; }\n");
    }

    GLTestContext context_{32, 32};
    GLuint vao_ = 0;
};

} // namespace

TEST_F(Buffers, EachClassBindsItsOwnTargetAndANewBufferIsLeftBound) {
    rtr::VertexBuffer vertices;
    EXPECT_EQ(boundTo(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(vertices.name()));
    rtr::IndexBuffer indices;
    EXPECT_EQ(boundTo(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(indices.name()));
    rtr::UniformBuffer uniforms;
    EXPECT_EQ(boundTo(GL_UNIFORM_BUFFER_BINDING), static_cast<GLint>(uniforms.name()));

    // Each bind touches its own target only.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    vertices.bind();
    EXPECT_EQ(boundTo(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(vertices.name()));
    EXPECT_EQ(boundTo(GL_UNIFORM_BUFFER_BINDING), 0);
    EXPECT_EQ(boundTo(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(indices.name()));
    uniforms.bind();
    EXPECT_EQ(boundTo(GL_UNIFORM_BUFFER_BINDING), static_cast<GLint>(uniforms.name()));
}

TEST_F(Buffers, DestructionThroughTheBaseDeletesTheName) {
    std::unique_ptr<rtr::Buffer> buffer = std::make_unique<rtr::VertexBuffer>();
    const GLuint name = buffer->name();
    EXPECT_EQ(glIsBuffer(name), GL_TRUE);
    buffer.reset();
    EXPECT_EQ(glIsBuffer(name), GL_FALSE);
}

TEST_F(Buffers, BindingPointsAreFixed) {
    EXPECT_EQ(blocks::kMatrices.point, 0u);
    EXPECT_EQ(blocks::kParticle.point, 1u);
    EXPECT_EQ(blocks::kLights.point, 2u);
    EXPECT_EQ(blocks::kMaterial.point, 3u);
    EXPECT_STREQ(blocks::kMatrices.name, "Matrices");
    EXPECT_STREQ(blocks::kParticle.name, "Particle");
    EXPECT_STREQ(blocks::kLights.name, "Lights");
    EXPECT_STREQ(blocks::kMaterial.name, "Material");
}

TEST_F(Buffers, MatricesBufferIsAlways320BytesWhateverTheShaderDeclares) {
    // A program whose "Matrices" block is larger than the shared layout.
    auto wide = program("layout(std140) uniform Matrices { mat4 m[6]; };\n", "m[5][0]");
    EXPECT_EQ(blocks::bindProgramBlock(wide->program, blocks::kMatrices), 384);

    auto buffer = blocks::createBlockBuffer(blocks::kMatrices, blocks::kMatrices.size);
    GLint size = 0;
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 320);
    GLint attached = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, blocks::kMatrices.point, &attached);
    EXPECT_EQ(attached, static_cast<GLint>(buffer->name()));
}

TEST_F(Buffers, ProgramBlockIsBoundToItsPoint) {
    auto lit = program("layout(std140) uniform Lights { int count; vec4 data[8]; };\n", "data[count]");
    const GLint size = blocks::bindProgramBlock(lit->program, blocks::kLights);
    EXPECT_EQ(size, 16 + 8 * 16);
    const GLuint index = glGetUniformBlockIndex(lit->program, "Lights");
    GLint point = -1;
    glGetActiveUniformBlockiv(lit->program, index, GL_UNIFORM_BLOCK_BINDING, &point);
    EXPECT_EQ(point, 2);
}

TEST_F(Buffers, ProgramWithoutTheBlockGoesThroughHarmlessly) {
    auto plain = program("", "vec4(1.0)");
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(blocks::bindProgramBlock(plain->program, blocks::kMatrices), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Buffers, MatricesWritesLandAtTheirOffsets) {
    auto buffer = blocks::createBlockBuffer(blocks::kMatrices, blocks::kMatrices.size);
    const glm::mat4 zero(0.0f);
    for (GLintptr offset = 0; offset < 320; offset += 64)
        blocks::writeMatrices(*buffer, offset, &zero);

    const glm::mat4 viewAndProjection[2] = {glm::translate(glm::mat4(1.0f), {1, 2, 3}),
                                            glm::scale(glm::mat4(1.0f), {4, 5, 6})};
    blocks::writeMatrices(*buffer, blocks::matrices::kModelView, viewAndProjection, 2);

    glm::mat4 readBack[5];
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, 320, readBack);
    EXPECT_EQ(readBack[0], zero);
    EXPECT_EQ(readBack[1], zero);
    EXPECT_EQ(readBack[2], viewAndProjection[0]);
    EXPECT_EQ(readBack[3], viewAndProjection[1]);
    EXPECT_EQ(readBack[4], zero);
    EXPECT_EQ(blocks::matrices::kProjection, 192);
    EXPECT_EQ(blocks::matrices::kNormalMatrix, 256);
}
