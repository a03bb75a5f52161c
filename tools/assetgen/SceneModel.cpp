#include "SceneModel.h"

namespace assetgen {

const SceneMaterial* SceneModel::material(const std::string& name) const {
    for (const SceneMaterial& m : materials)
        if (m.name == name) return &m;
    return nullptr;
}

std::size_t SceneModel::triangleCount() const {
    std::size_t total = 0;
    for (const SceneNode& node : nodes) total += node.mesh.triangleCount();
    return total;
}

} // namespace assetgen
