#pragma once
// Small meshes for GL tests of scene objects and the Level.

#include "scene/Mesh.h"

#include <memory>

namespace testing_support {

// A unit square in the xy-plane facing +z, with UVs and tangents.
inline std::unique_ptr<Mesh> makeSquareMesh(GLuint diffuse = 0, GLuint normal = 0, float texCount = 0.0f) {
    std::vector<float> positions = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
    std::vector<float> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    std::vector<float> uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    std::vector<float> tangents = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    std::vector<unsigned> indices = {0, 1, 2, 2, 3, 0};
    return std::make_unique<Mesh>(diffuse, normal, positions, normals, uvs, tangents, indices, texCount, nullptr,
                                  glm::mat4(1.0f), "square");
}

} // namespace testing_support
