#pragma once
// Small Assimp scenes built in memory for import tests: named materials with
// colours and texture paths, square meshes, and a node tree. They can be
// handed to the loader directly or written as COLLADA with Assimp's exporter.

#include <assimp/scene.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct MaterialSpec {
    std::string name{};
    std::optional<aiColor4D> diffuse{}, ambient{}, specular{}, emissive{};
    std::optional<float> shininess{};
    std::string diffuseTexture{}; // empty: none
    std::string normalTexture{};  // empty: none
};

struct NodeSpec {
    std::string name{};
    std::vector<unsigned> meshes{};
    aiVector3D translation{0, 0, 0};
    std::vector<NodeSpec> children{};
};

class SceneBuilder {
public:
    // Returns the material's index.
    unsigned material(const MaterialSpec& description);
    // A square from (0, 0, 0) to (size, size, 0) (two triangles) facing +z,
    // with normals and UVs u = x / size, v = y / size (u = 1 - x / size when
    // mirrored, which turns its tangent frame left-handed); returns the mesh
    // index.
    unsigned square(unsigned materialIndex, float size = 1.0f, bool mirroredU = false);
    // A mesh without normals or UVs: a triangle and a line (two indices).
    unsigned bareTriangleAndLine(unsigned materialIndex);
    // A square from (0, 0, 0) to (size, 0, size) facing +y: a ground, or a
    // water surface.
    unsigned floor(unsigned materialIndex, float size = 1.0f);
    // A closed cube from (0, 0, 0) to (size, size, size), faces outwards.
    unsigned box(unsigned materialIndex, float size);
    void root(NodeSpec description) { root_ = std::move(description); }

    // The scene; the builder keeps nothing.
    std::unique_ptr<aiScene> build() const;
    // Writes COLLADA; false (with Assimp's message on stderr) on failure.
    bool exportCollada(const std::string& path) const;

private:
    std::vector<MaterialSpec> materials_;
    enum class Shape { Square, BareTriangleAndLine, Floor, Box };
    struct MeshSpec {
        unsigned material;
        float size;
        Shape shape;
        bool mirroredU = false;
    };
    std::vector<MeshSpec> meshes_;
    NodeSpec root_{"root", {}, {}, {}};
};

} // namespace testing_support
