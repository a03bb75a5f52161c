// The GL half of the particles: each group's vertex buffer and vertex
// array, the "Particle" block, the per-frame upload and the point draws.

#include "effects/Particles.h"

#include "render/GLDebug.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"

namespace rtr::Particles {

namespace {

constexpr GLsizei kStride = sizeof(ParticleVertex);

void pointAttribute(GLuint index, GLint components, std::size_t offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, components, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offset));
}

} // namespace

void Group::createBuffers() {
    vertexBuffer = std::make_unique<rtr::VertexBuffer>();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity * sizeof(ParticleVertex)), nullptr,
                 GL_DYNAMIC_DRAW);
    vertexArray = rtr::gl::VertexArrayName::generate();
    glBindVertexArray(vertexArray.get());
    pointAttribute(0, 3, offsetof(ParticleVertex, position));
    pointAttribute(1, 2, offsetof(ParticleVertex, size));
    pointAttribute(2, 1, offsetof(ParticleVertex, rotation));
    pointAttribute(3, 1, offsetof(ParticleVertex, age));
    glBindVertexArray(0);
    rtr::labelObject(GL_VERTEX_ARRAY, vertexArray.get(), "particles");
}

void Group::upload() {
    vertexBuffer->bind();
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(ParticleVertex)), vertices.data());
}

System::System() {
    uniformBuffer = blocks::createBlockBuffer(blocks::kParticle, blocks::kParticle.size);
    program = std::make_unique<ShaderProgram>("../Shader/particles.vert", "../Shader/particles.geom",
                                              "../Shader/particles.frag");
    setUpPrograms();
}

void System::setUpPrograms() {
    blocks::bindProgramBlock(program->program, blocks::kMatrices);
    blocks::bindProgramBlock(program->program, blocks::kParticle);
    rtr::setSamplerUnits(*program, {{"spriteSheet", 0}});
}

void System::reloadPrograms(rtr::ProgramReload& reload) {
    reload(*program);
    setUpPrograms();
}

System::~System() {
    uniformBuffer.reset();
    program.reset();
    groups.clear();
    for (Emitter* emitter : emitters)
        emitter->system = nullptr;
    emitters.clear();
}

Group* System::addGroup() {
    groups.push_back(std::make_unique<Group>());
    Group* group = groups.back().get();
    group->createBuffers();
    return group;
}

void System::update(float dt) {
    for (Emitter* emitter : emitters)
        emitter->update(dt);
    for (const auto& group : groups) {
        if (group->count == 0)
            continue;
        group->advance(dt);
        if (group->count != 0)
            group->upload();
    }
}

void System::draw() {
    glGetError();
    glUseProgram(program->program);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    for (const auto& group : groups)
        drawGroup(*group);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void System::drawGroup(Group& group) {
    if (group.count == 0 || group.texture == 0)
        return;
    glBlendFunc(group.blendSrc, group.blendDst);
    const ParticleBlock block = group.block();
    uniformBuffer->bind();
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof block, &block);
    glBindVertexArray(group.vertexArray.get());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, group.texture);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(group.count));
}

} // namespace rtr::Particles
