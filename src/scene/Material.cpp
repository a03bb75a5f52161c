#include "scene/Material.h"

#include "render/GLDebug.h"
#include "render/ShaderProgram.h"
#include "render/UniformBlocks.h"

#include <cstring>

std::array<std::byte, 80> packMaterialBlock(const glm::vec4& diffuse, const glm::vec4& ambient,
                                            const glm::vec4& specular, const glm::vec4& emissive,
                                            float shininess) {
    std::array<std::byte, 80> block{};
    const glm::vec4 colours[4] = {diffuse, ambient, specular, emissive};
    std::memcpy(block.data(), colours, sizeof colours);
    const float tail[4] = {shininess, 81.0f, 81.0f, 81.0f};
    std::memcpy(block.data() + 64, tail, sizeof tail);
    return block;
}

Material::Material(ShaderProgram* program, const glm::vec4& diffuse, const glm::vec4& ambient,
                   const glm::vec4& specular, const glm::vec4& emissive, float shininess, std::string name)
    : diffuse(diffuse), ambient(ambient), specular(specular), emissive(emissive), shininess(shininess),
      program(program), name(std::move(name)) {
    const auto& block = rtr::blocks::kMaterial;
    glGenBuffers(1, &ubo);
    glBindBuffer(GL_UNIFORM_BUFFER, ubo);
    glBufferData(GL_UNIFORM_BUFFER, block.size, nullptr, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    rtr::labelObject(GL_BUFFER, ubo, "Material " + this->name);

    bindingPoint = static_cast<int>(block.point);
    setUpPrograms();

    glBindBufferBase(GL_UNIFORM_BUFFER, block.point, ubo);
    void* mapped = glMapBufferRange(GL_UNIFORM_BUFFER, 0, block.size,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    if (mapped != nullptr) {
        const auto bytes = packMaterialBlock(diffuse, ambient, specular, emissive, shininess);
        std::memcpy(mapped, bytes.data(), bytes.size());
        glUnmapBuffer(GL_UNIFORM_BUFFER);
    }
}

void Material::setUpPrograms() {
    const auto& block = rtr::blocks::kMaterial;
    blockIndex = glGetUniformBlockIndex(program->program, block.name);
    rtr::blocks::bindProgramBlock(program->program, block);
    if (mirroredProgram != nullptr)
        rtr::blocks::bindProgramBlock(mirroredProgram->program, block);
}

void Material::setMirroredProgram(ShaderProgram* variant) {
    mirroredProgram = variant;
    setUpPrograms();
}

Material::~Material() { glDeleteBuffers(1, &ubo); }

void Material::bind() const { glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(bindingPoint), ubo); }
