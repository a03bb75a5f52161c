#include "effects/HeatHaze.h"

#include "effects/EffectTexture.h"
#include "render/GLDebug.h"
#include "render/UniformBlocks.h"

#include <cmath>

HeatHaze::HeatHaze(const glm::vec3& position) {
    dudvTexture = rtr::loadEffectTexture("../Textures/waterDuDv.png", "Failed to load dUdV map");
    rtr::labelObject(GL_TEXTURE, dudvTexture.get(), "haze distortion");

    program = std::make_unique<ShaderProgram>("../Shader/haze.vert", "../Shader/haze.geom", "../Shader/haze.frag");
    setUpPrograms();

    vertexBuffer = std::make_unique<rtr::VertexBuffer>();
    glBufferData(GL_ARRAY_BUFFER, sizeof position, &position, GL_STATIC_DRAW);
    vertexArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(vertexArray.get());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    rtr::labelObject(GL_VERTEX_ARRAY, vertexArray.get(), "heat haze");
}

void HeatHaze::setUpPrograms() {
    rtr::blocks::bindProgramBlock(program->program, rtr::blocks::kMatrices);
    rtr::setSamplerUnits(*program, {{"scene", 0}, {"distortion", 1}});
    timeLocation = glGetUniformLocation(program->program, "time");
}

void HeatHaze::reloadPrograms(rtr::ProgramReload& reload) {
    reload(*program);
    setUpPrograms();
}

HeatHaze::~HeatHaze() {
    program.reset();
    vertexArray.reset();
    vertexBuffer.reset();
    dudvTexture.reset();
}

float HeatHaze::nextPhase(float time, float dt) {
    return static_cast<float>(std::fmod(static_cast<double>(dt * 0.2f + time), 1.0));
}

void HeatHaze::draw(GLuint sceneTexture) {
    glBindVertexArray(vertexArray.get());
    glGetError();
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, dudvTexture.get());
    glUniform1f(timeLocation, time);
    glDrawArrays(GL_POINTS, 0, 1);
    // Later passes expect unit 0 to be the active one.
    glActiveTexture(GL_TEXTURE0);
}
