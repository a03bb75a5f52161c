#pragma once
// The scene as the generator assembles it before it becomes a COLLADA file:
// named materials, mesh nodes directly under the root with their own
// transforms, and the cameras in the order the tour uses them.

#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "Mesh.h"

namespace assetgen {

struct SceneMaterial {
    std::string name;
    std::string diffuseFile; // file name under the scene texture folder; empty for none
    std::string normalFile;
    glm::vec4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 1.0f;
};

struct SceneNode {
    std::string name;
    std::string material;
    Mesh mesh;
    glm::mat4 transform{1.0f};
};

// A camera looking from `position` towards `target`. Its node scales the
// look-at vector to `lookLength`: the program flies and dollies the camera
// at ten times that length per second.
struct SceneCamera {
    std::string name;
    glm::vec3 position;
    glm::vec3 target;
    float lookLength = 1.0f;
};

struct SceneModel {
    std::vector<SceneMaterial> materials;
    std::vector<SceneCamera> cameras;
    std::vector<SceneNode> nodes;

    const SceneMaterial* material(const std::string& name) const;
    std::size_t triangleCount() const;
};

} // namespace assetgen
