#include "render/UniformBlocks.h"

#include "render/GLDebug.h"

#include <glm/gtc/type_ptr.hpp>

namespace rtr::blocks {

GLint bindProgramBlock(GLuint program, const BlockBinding& block) {
    const GLuint index = glGetUniformBlockIndex(program, block.name);
    if (index == GL_INVALID_INDEX)
        return 0;
    GLint size = 0;
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    glUniformBlockBinding(program, index, block.point);
    return size;
}

std::unique_ptr<UniformBuffer> createBlockBuffer(const BlockBinding& block, GLsizeiptr size) {
    auto buffer = std::make_unique<UniformBuffer>();
    glBindBufferBase(GL_UNIFORM_BUFFER, block.point, buffer->name());
    glBufferData(GL_UNIFORM_BUFFER, size, nullptr, GL_DYNAMIC_DRAW);
    labelObject(GL_BUFFER, buffer->name(), block.name);
    return buffer;
}

void writeMatrices(UniformBuffer& buffer, GLintptr offset, const glm::mat4* matrices, int count) {
    buffer.bind();
    glBufferSubData(GL_UNIFORM_BUFFER, offset, matrices::kMatrixSize * count, glm::value_ptr(matrices[0]));
}

} // namespace rtr::blocks
