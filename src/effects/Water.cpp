#include "effects/Water.h"

#include "effects/EffectTexture.h"
#include "render/FramebufferStatus.h"
#include "render/GLDebug.h"
#include "render/StartupProfile.h"
#include "render/UniformBlocks.h"
#include "scene/ImportObject.h"
#include "scene/Mesh.h"

#include <glm/common.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

using Edge = std::pair<glm::vec3, glm::vec3>;

struct EdgeLess {
    bool operator()(const Edge& x, const Edge& y) const {
        const Mesh::PositionLess less;
        if (less(x.first, y.first) || less(y.first, x.first))
            return less(x.first, y.first);
        return less(x.second, y.second);
    }
};

// The edges that only one triangle has, in the world. Edges are told apart
// by their corners' positions, since a seam in the texture coordinates can
// split a vertex in two.
std::vector<glm::vec3> outlineOf(const ImportObject& surface) {
    Mesh& mesh = *surface.mesh;
    const float* positions = mesh.getPositions();
    const unsigned* indices = mesh.getIndices();
    const auto at = [positions](unsigned i) {
        return glm::vec3(positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]);
    };
    std::map<Edge, int, EdgeLess> uses;
    for (unsigned f = 0; indices != nullptr && f < mesh.getFaceCount(); ++f)
        for (unsigned corner = 0; corner < 3; ++corner) {
            const unsigned a = indices[3 * f + corner], b = indices[3 * f + (corner + 1) % 3];
            if (a >= mesh.getVertexCount() || b >= mesh.getVertexCount())
                continue;
            const glm::vec3 p = at(a), q = at(b);
            ++uses[Mesh::PositionLess()(p, q) ? Edge(p, q) : Edge(q, p)];
        }
    std::vector<glm::vec3> outline;
    for (const auto& [edge, count] : uses)
        if (count == 1)
            for (const glm::vec3& end : {edge.first, edge.second})
                outline.emplace_back(surface.modelMatrix * glm::vec4(end, 1.0f));
    return outline;
}

} // namespace

int Water::reflectionSizeFor(float renderScale) {
    const auto side = static_cast<int>(std::lround(static_cast<float>(kReflectionSize) * renderScale));
    return std::clamp(side, kLeastReflectionSize, kReflectionSize);
}

Water::Water(ImportObject* surface, int reflectionSize) : reflectionSize(reflectionSize), surface(surface) {
    rtr::StartupTimer timer(rtr::StartupPhase::Effects);
    const Mesh& mesh = *surface->mesh;
    const float* positions = surface->mesh->getPositions();
    for (unsigned v = 0; v < mesh.getVertexCount(); ++v) {
        const glm::vec3 world(surface->modelMatrix *
                              glm::vec4(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2], 1.0f));
        lowest = v == 0 ? world : glm::min(lowest, world);
        highest = v == 0 ? world : glm::max(highest, world);
    }

    outline = outlineOf(*surface);

    // The surface's vertex array was made for the lit program, whose
    // "position" need not be attribute 0; the water programs read only
    // positions, at 0.
    glBindVertexArray(surface->getVao());
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, surface->getVertexBuffer());
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    program = std::make_unique<ShaderProgram>("../Shader/water.vert", "../Shader/water.frag");
    maskProgram = std::make_unique<ShaderProgram>("../Shader/waterMask.vert", "../Shader/waterMask.frag");
    setUpPrograms();

    dudvTexture = rtr::loadEffectTexture("../Textures/waterDuDv.png", "Failed to load dUdV map");
    normalTexture = rtr::loadEffectTexture("../Textures/waterNormal.png", "Failed to load the normal map");
    rtr::labelObject(GL_TEXTURE, dudvTexture.get(), "water dUdV");
    rtr::labelObject(GL_TEXTURE, normalTexture.get(), "water normals");

    reflectionFramebuffer = rtr::gl::FramebufferName::generate();
    glBindFramebuffer(GL_FRAMEBUFFER, reflectionFramebuffer.get());
    reflectionTexture = rtr::gl::TextureName::generate();
    glBindTexture(GL_TEXTURE_2D, reflectionTexture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, reflectionSize, reflectionSize, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, reflectionTexture.get(), 0);
    reflectionDepth = rtr::gl::RenderbufferName::generate();
    glBindRenderbuffer(GL_RENDERBUFFER, reflectionDepth.get());
    // With a stencil, so the mirrored pass draws only where the pool can
    // show it.
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, reflectionSize, reflectionSize);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, reflectionDepth.get());
    rtr::checkFramebufferComplete(GL_FRAMEBUFFER, "water reflection");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rtr::labelObject(GL_FRAMEBUFFER, reflectionFramebuffer.get(), "water reflection");
    rtr::labelObject(GL_TEXTURE, reflectionTexture.get(), "water reflection");

    bandBuffer = rtr::gl::BufferName::generate();
    bandArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(bandArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, bandBuffer.get());
    glEnableVertexAttribArray(0); // (x, y) of the mask program's position; z = 0
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    rtr::labelObject(GL_VERTEX_ARRAY, bandArray.get(), "water outline band");
}

void Water::setUpPrograms() {
    rtr::blocks::bindProgramBlock(program->program, rtr::blocks::kMatrices);
    rtr::blocks::bindProgramBlock(maskProgram->program, rtr::blocks::kMatrices);
    timeLocation = glGetUniformLocation(program->program, "time");
    rtr::setSamplerUnits(*program, {{"reflectionTexture", 0},
                                    {"sceneTexture", 1},
                                    {"dudvTexture", 2},
                                    {"normalTexture", 3}});
    glUseProgram(program->program);
    glUniform1f(glGetUniformLocation(program->program, "rippleReach"), kRippleReach);
    glUseProgram(0);
}

void Water::reloadPrograms(rtr::ProgramReload& reload) {
    reload(*program);
    reload(*maskProgram);
    setUpPrograms();
}

Water::~Water() {
    program.reset();
    maskProgram.reset();
    reflectionTexture.reset();
    dudvTexture.reset();
    normalTexture.reset();
    reflectionFramebuffer.reset();
    reflectionDepth.reset();
    bandBuffer.reset();
    bandArray.reset();
}

void Water::update(double dt) {
    // All in single precision: fmod is exact there, so the phase stays below
    // 1 (a double result just under 1 could round up to 1 as a float).
    time = std::fmod(time + static_cast<float>(dt) * kPhasePerSecond, 1.0f);
}

float Water::height() const { return surface->modelMatrix[3].y; }

void Water::drawMask() {
    glBindVertexArray(surface->getVao());
    glGetError();
    glUseProgram(maskProgram->program);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glDepthMask(GL_FALSE);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * surface->getFaceCount()), GL_UNSIGNED_INT, nullptr);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
}

void Water::drawShape() {
    glBindVertexArray(surface->getVao());
    glGetError();
    glUseProgram(maskProgram->program);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * surface->getFaceCount()), GL_UNSIGNED_INT, nullptr);
}

void Water::drawBand(const std::vector<glm::vec2>& band) {
    if (band.empty())
        return;
    glBindVertexArray(bandArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, bandBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(band.size() * sizeof(glm::vec2)), band.data(),
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glGetError();
    glUseProgram(maskProgram->program);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(band.size()));
}

void Water::draw(GLuint sceneTexture) {
    glBindVertexArray(surface->getVao());
    glGetError();
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, reflectionTexture.get());
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, sceneTexture);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, dudvTexture.get());
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, normalTexture.get());
    glUniform1f(timeLocation, time);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * surface->getFaceCount()), GL_UNSIGNED_INT, nullptr);
    // Both render targets leave their units, so no later pass draws into a
    // texture that is still bound for sampling; unit 3 stays active.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE3);
}
