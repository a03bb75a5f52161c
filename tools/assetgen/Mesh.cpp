#include "Mesh.h"

#include <map>
#include <tuple>

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

namespace assetgen {

void Bounds::include(glm::vec3 p) {
    min = glm::min(min, p);
    max = glm::max(max, p);
}

std::uint32_t Mesh::addVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv) {
    positions.push_back(position);
    normals.push_back(normal);
    uvs.push_back(uv);
    return vertexCount() - 1;
}

void Mesh::addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    indices.insert(indices.end(), {a, b, c});
}

void Mesh::addQuad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    addTriangle(a, b, c);
    addTriangle(a, c, d);
}

void Mesh::append(const Mesh& other, const glm::mat4& transform) {
    const std::uint32_t offset = vertexCount();
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(transform)));
    for (std::size_t i = 0; i < other.positions.size(); ++i) {
        positions.push_back(glm::vec3(transform * glm::vec4(other.positions[i], 1.0f)));
        normals.push_back(glm::normalize(normalMatrix * other.normals[i]));
        uvs.push_back(other.uvs[i]);
    }
    for (std::uint32_t index : other.indices) indices.push_back(index + offset);
}

Bounds Mesh::bounds() const { return bounds(glm::mat4(1.0f)); }

Bounds Mesh::bounds(const glm::mat4& transform) const {
    Bounds b;
    for (const glm::vec3& p : positions) b.include(glm::vec3(transform * glm::vec4(p, 1.0f)));
    return b;
}

void Mesh::smoothNormals() {
    using Key = std::tuple<float, float, float>;
    std::map<Key, glm::vec3> sums;
    auto key = [](glm::vec3 p) { return Key{p.x, p.y, p.z}; };
    for (std::size_t f = 0; f + 2 < indices.size(); f += 3) {
        const glm::vec3 a = positions[indices[f]], b = positions[indices[f + 1]], c = positions[indices[f + 2]];
        const glm::vec3 weighted = glm::cross(b - a, c - a);
        for (int k = 0; k < 3; ++k) sums[key(positions[indices[f + k]])] += weighted;
    }
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const glm::vec3 sum = sums[key(positions[i])];
        const float length = glm::length(sum);
        normals[i] = length > 0.0f ? sum / length : glm::vec3(0, 1, 0);
    }
}

} // namespace assetgen
