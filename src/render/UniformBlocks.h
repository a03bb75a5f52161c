#pragma once
// The four uniform blocks that programs share, each at a fixed binding point
// (std140 layout), and the byte layout of "Matrices", which nearly every
// effect reads. Every owner of a block buffer and every program that reads a
// block takes its binding point from here.

#include "render/Buffer.h"
#include "render/GL.h"

#include <glm/mat4x4.hpp>

#include <memory>

namespace rtr::blocks {

struct BlockBinding {
    const char* name;
    GLuint point;
    GLsizeiptr size; // 0: the size the using program reports ("Lights")
};

inline constexpr BlockBinding kMatrices{"Matrices", 0, 320};
inline constexpr BlockBinding kParticle{"Particle", 1, 48};
inline constexpr BlockBinding kLights{"Lights", 2, 0};
inline constexpr BlockBinding kMaterial{"Material", 3, 80};

// "Matrices": five column-major mat4 at these byte offsets.
namespace matrices {
inline constexpr GLintptr kTransform = 0;    // projection x view x model, or the screen matrix
inline constexpr GLintptr kView = 64;
inline constexpr GLintptr kModelView = 128;  // also plain view, for particles and haze
inline constexpr GLintptr kProjection = 192;
inline constexpr GLintptr kNormalMatrix = 256; // transpose(inverse(model view))
inline constexpr GLsizeiptr kMatrixSize = 64;
inline constexpr GLsizeiptr kSize = 320;
} // namespace matrices

// Binds block `block` of `program` to its binding point and returns the
// block's GL_UNIFORM_BLOCK_DATA_SIZE. A program without the block is passed
// over: the result is 0 and no GL call is made with the invalid index.
GLint bindProgramBlock(GLuint program, const BlockBinding& block);

// A block buffer of `size` bytes, left bound as GL_UNIFORM_BUFFER and
// attached to the block's binding point for the life of the program.
std::unique_ptr<UniformBuffer> createBlockBuffer(const BlockBinding& block, GLsizeiptr size);

// Writes `count` consecutive matrices of "Matrices" starting at `offset`.
void writeMatrices(UniformBuffer& buffer, GLintptr offset, const glm::mat4* matrices, int count = 1);

} // namespace rtr::blocks
