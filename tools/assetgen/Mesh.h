#pragma once
// Triangle meshes as the scene file stores them: positions, normals, one
// UV channel and triangle indices.

#include <cstdint>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace assetgen {

struct Bounds {
    glm::vec3 min{1e30f};
    glm::vec3 max{-1e30f};

    void include(glm::vec3 p);
    glm::vec3 centre() const { return (min + max) * 0.5f; }
};

struct Mesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::uint32_t> indices;

    std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(positions.size()); }
    std::size_t triangleCount() const { return indices.size() / 3; }

    std::uint32_t addVertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv);
    void addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
    // Two triangles a-b-c and a-c-d, counter-clockwise seen from the front.
    void addQuad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);

    // Appends another mesh placed by a transform (normals follow the
    // inverse transpose).
    void append(const Mesh& other, const glm::mat4& transform);

    Bounds bounds() const;
    Bounds bounds(const glm::mat4& transform) const;

    // Recomputes normals as the area-weighted average of the faces around
    // each position; vertices duplicated along a UV seam share one normal.
    void smoothNormals();
};

} // namespace assetgen
