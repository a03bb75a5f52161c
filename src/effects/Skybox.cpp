#include "effects/Skybox.h"

#include "effects/SkyDirections.h"
#include "render/GLDebug.h"
#include "render/StartupProfile.h"
#include "render/TextureLoader.h"
#include "render/UniformBlocks.h"

#include <iostream>

namespace {

constexpr float kCorners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                  {1, -1, 1},   {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}};

// Wound counter-clockwise as seen from inside the cube, where the eye is.
constexpr GLuint kIndices[Skybox::kIndexCount] = {
    0, 1, 2, 2, 3, 0, // z = -1
    1, 4, 7, 7, 2, 1, // x = +1
    4, 5, 6, 6, 7, 4, // z = +1
    5, 0, 3, 3, 6, 5, // x = -1
    3, 2, 7, 7, 6, 3, // y = +1
    5, 4, 1, 1, 0, 5, // y = -1
};

} // namespace

const std::array<std::string, 6>& Skybox::defaultFacePaths() {
    static const std::array<std::string, 6> paths = {
        rtr::sky::kFaceFiles[0], rtr::sky::kFaceFiles[1], rtr::sky::kFaceFiles[2],
        rtr::sky::kFaceFiles[3], rtr::sky::kFaceFiles[4], rtr::sky::kFaceFiles[5]};
    return paths;
}

Skybox::Skybox() : Skybox(defaultFacePaths()) {}

Skybox::Skybox(const std::array<std::string, 6>& facePaths) {
    rtr::StartupTimer timer(rtr::StartupPhase::Effects);
    vertexBuffer = std::make_unique<rtr::VertexBuffer>();
    glBufferData(GL_ARRAY_BUFFER, sizeof kCorners, kCorners, GL_STATIC_DRAW);

    vertexArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(vertexArray.get());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    // Made while the vertex array is bound, so the array records it.
    indexBuffer = std::make_unique<rtr::IndexBuffer>();
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kIndices, kIndices, GL_STATIC_DRAW);
    glBindVertexArray(0);
    rtr::labelObject(GL_VERTEX_ARRAY, vertexArray.get(), "sky cube");

    GLuint texture = 0;
    if (!loadTextureCube(facePaths, texture)) {
        std::cout << "Failed to load textures for skybox" << std::endl;
        // The loader leaves its partial cube map bound; keep owning it.
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
        texture = static_cast<GLuint>(bound);
    }
    cubeMap = rtr::gl::TextureName(texture);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    rtr::labelObject(GL_TEXTURE, cubeMap.get(), "night sky");

    program = std::make_unique<ShaderProgram>("../Shader/skybox.vert", "../Shader/skybox.frag");
    setUpPrograms();
}

void Skybox::setUpPrograms() {
    rtr::blocks::bindProgramBlock(program->program, rtr::blocks::kMatrices);
    rtr::setSamplerUnits(*program, {{"sky", 0}});
}

void Skybox::reloadPrograms(rtr::ProgramReload& reload) {
    reload(*program);
    setUpPrograms();
}

Skybox::~Skybox() {
    vertexArray.reset();
    vertexBuffer.reset();
    indexBuffer.reset();
    program.reset();
    cubeMap.reset();
}

void Skybox::draw() {
    glBindVertexArray(vertexArray.get());
    glGetError();
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap.get());
    glDrawElements(GL_TRIANGLES, kIndexCount, GL_UNSIGNED_INT, nullptr);
}
