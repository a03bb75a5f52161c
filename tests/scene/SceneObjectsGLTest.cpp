// Imported objects on screen: each draws with its own material, binds both
// texture names whatever its texture count, is culled by its bounding sphere,
// and releases exactly the GL names it made.

#include "render/ShaderProgram.h"
#include "scene/Frustum.h"
#include "scene/ImportObject.h"
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "support/GLTestContext.h"
#include "support/Image.h"
#include "support/ShaderSource.h"
#include "support/TestMeshes.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

// The lit program's interface, shading with what the test wants to see: the
// red of the colour texture, the green of the normal map, the blue of the
// material's diffuse colour.
const char* kVertex = R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec2 uv;
in vec4 tangent;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;
void main() { gl_Position = projectionMatrix * viewMatrix * modelMatrix * vec4(position, 1.0); }
)";
const char* kFragment = R"(#version 330 core
layout(std140) uniform Material { vec4 diffuse; vec4 ambient; vec4 specular; vec4 emissive; float shininess; };
uniform sampler2D colorTexture;
uniform sampler2D normal_map;
uniform float texCount;
out vec4 colour;
void main() {
    colour = vec4(texture(colorTexture, vec2(0.5)).r, texture(normal_map, vec2(0.5)).g, diffuse.b, 1.0);
}
)";
const char* kDepthVertex = R"(#version 330 core
in vec3 vp;
void main() { gl_Position = vec4(vp, 1.0); }
)";
const char* kDepthFragment = "#version 330 core\nvoid main() {}\n";

GLuint onePixelTexture(uint8_t r, uint8_t g, uint8_t b) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t texel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

class SceneObjects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context_.ok());
        lit_ = programFromSource(kVertex, kFragment);
        depth_ = programFromSource(kDepthVertex, kDepthFragment);
        red_ = onePixelTexture(255, 0, 0);
        green_ = onePixelTexture(0, 255, 0);
        glViewport(0, 0, kSize, kSize);
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glDisable(GL_DEPTH_TEST);
    }
    void TearDown() override {
        glDeleteTextures(1, &red_);
        glDeleteTextures(1, &green_);
    }

    std::unique_ptr<Material> material(float blue, const std::string& name) {
        return std::make_unique<Material>(lit_.get(), glm::vec4(0.3f, 0.3f, blue, 1.0f), glm::vec4(0.2f),
                                          glm::vec4(0.0f), glm::vec4(0.0f), 8.0f, name);
    }

    std::unique_ptr<ImportObject> object(glm::vec3 at, Material* m, float texCount = 2.0f) {
        return std::make_unique<ImportObject>(glm::translate(glm::mat4(1.0f), at), lit_.get(), depth_.get(),
                                              makeSquareMesh(red_, green_, texCount), m, nullptr,
                                              std::vector<glm::vec3>{});
    }

    // Clears, then draws with the camera at (0, 0, 2) looking down -z.
    template <typename Draw>
    Image render(Draw draw) {
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(lit_->program);
        const glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 2), glm::vec3(0), glm::vec3(0, 1, 0));
        const glm::mat4 projection = glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 10.0f);
        glUniformMatrix4fv(glGetUniformLocation(lit_->program, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(view));
        glUniformMatrix4fv(glGetUniformLocation(lit_->program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(projection));
        draw();
        glFinish();
        return readPixels(0, 0, kSize, kSize);
    }

    static constexpr int kSize = 64;
    GLTestContext context_{kSize, kSize};
    std::unique_ptr<ShaderProgram> lit_, depth_;
    GLuint red_ = 0, green_ = 0;
};

} // namespace

TEST_F(SceneObjects, MaterialBlockHoldsItsColoursShininessAndPadding) {
    auto m = material(0.5f, "bark");
    float block[20] = {};
    glBindBuffer(GL_UNIFORM_BUFFER, m->getUbo());
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, 80, block);
    const float expected[20] = {0.3f, 0.3f, 0.5f, 1.0f, 0.2f, 0.2f, 0.2f, 0.2f, 0, 0,
                                0,    0,    0,    0,    0,    0,    8.0f, 81.0f, 81.0f, 81.0f};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(block[i], expected[i]) << "float " << i;
    GLint size = 0;
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 80);
    EXPECT_EQ(m->getBindingPoint(), 3);
    EXPECT_EQ(m->getBlockIndex(), glGetUniformBlockIndex(lit_->program, "Material"));
    EXPECT_EQ(m->getName(), "bark");
}

TEST_F(SceneObjects, EachObjectDrawsWithItsOwnMaterial) {
    auto first = material(0.2f, "first");
    auto second = material(0.8f, "second"); // made last: without a bind per object, both would be this
    auto left = object({-0.6f, 0, 0}, first.get());
    auto right = object({0.6f, 0, 0}, second.get());
    const Image image = render([&] {
        left->drawGeometry();
        right->drawGeometry();
    });
    // Known pixels: the squares' centres, and the clear colour between them.
    EXPECT_EQ(image.at(kSize / 2 - 10, kSize / 2), (Rgba{255, 255, 51, 255}));
    EXPECT_EQ(image.at(kSize / 2 + 10, kSize / 2), (Rgba{255, 255, 204, 255}));
    EXPECT_EQ(image.at(kSize / 2, kSize / 2), (Rgba{255, 0, 255, 255}));
    EXPECT_EQ(image.at(2, 2), (Rgba{255, 0, 255, 255}));
}

TEST_F(SceneObjects, TextureCountZeroStillBindsBothTextureNames) {
    auto m = material(0.0f, "plain");
    auto untextured = object({0, 0, 0}, m.get(), 0.0f);
    EXPECT_EQ(untextured->mesh->getTexCount(), 0.0f);
    const Image image = render([&] { untextured->drawGeometry(); });
    EXPECT_EQ(image.at(kSize / 2, kSize / 2), (Rgba{255, 255, 0, 255}));
    // And it leaves no texture or vertex array bound behind it.
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(SceneObjects, CulledByItsBoundingSphereUnlessCullingIsOff) {
    auto m = material(1.0f, "m");
    auto o = object({0, 0, 0}, m.get());
    // A frustum looking the other way rejects the object...
    const glm::mat4 away = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 10.0f) *
                           glm::lookAt(glm::vec3(0, 0, 2), glm::vec3(0, 0, 3), glm::vec3(0, 1, 0));
    const Frustum rejecting = Frustum::fromViewProjection(away);
    EXPECT_FALSE(o->isVisible(rejecting));
    Image image = render([&] { o->draw(rejecting); });
    EXPECT_EQ(image.at(kSize / 2, kSize / 2), (Rgba{255, 0, 255, 255}));
    // ...and with culling off the same object is drawn.
    Frustum off = rejecting;
    off.enabled = false;
    EXPECT_TRUE(o->isVisible(off));
    image = render([&] { o->draw(off); });
    EXPECT_EQ(image.at(kSize / 2, kSize / 2), (Rgba{255, 255, 255, 255}));
}

TEST_F(SceneObjects, DestructionReleasesExactlyItsOwnNames) {
    auto m = material(1.0f, "m");
    auto o = object({0, 0, 0}, m.get());
    const GLuint vao = o->getVao(), depthVao = o->getDepthVao(), positions = o->getVertexBuffer();
    EXPECT_EQ(glIsVertexArray(vao), GL_TRUE);
    EXPECT_EQ(glIsVertexArray(depthVao), GL_TRUE);
    EXPECT_EQ(glIsBuffer(positions), GL_TRUE);
    // The two vertex arrays share the index buffer.
    GLint index = 0, depthIndex = 0;
    glBindVertexArray(vao);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &index);
    glBindVertexArray(depthVao);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &depthIndex);
    glBindVertexArray(0);
    EXPECT_NE(index, 0);
    EXPECT_EQ(index, depthIndex);

    o.reset();
    EXPECT_EQ(glIsVertexArray(vao), GL_FALSE);
    EXPECT_EQ(glIsVertexArray(depthVao), GL_FALSE);
    EXPECT_EQ(glIsBuffer(positions), GL_FALSE);
    EXPECT_EQ(glIsBuffer(static_cast<GLuint>(index)), GL_FALSE);
    // Shared things stay: the material's block and the textures.
    EXPECT_EQ(glIsBuffer(m->getUbo()), GL_TRUE);
    EXPECT_EQ(glIsTexture(red_), GL_TRUE);
    EXPECT_EQ(glIsTexture(green_), GL_TRUE);
}

TEST_F(SceneObjects, ChildrenAreReturnedAsACopy) {
    auto m = material(1.0f, "m");
    auto parent = object({0, 0, 0}, m.get());
    auto child = object({1, 0, 0}, m.get());
    parent->addChild(child.get());
    auto children = parent->getChildren();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], child.get());
    children.push_back(parent.get());
    EXPECT_EQ(parent->getChildren().size(), 1u);
}
