#pragma once
// The base of everything the frame loop updates and draws as part of the
// scene: the Level and every imported object. It carries the object's world
// matrix and the matrix it was made with.

#include <glm/mat4x4.hpp>

struct Frustum;

namespace rtr::scene {

class SceneObject {
public:
    explicit SceneObject(const glm::mat4& matrix) : modelMatrix(matrix), baseModelMatrix(matrix) {}
    virtual ~SceneObject() = default;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual void update(double elapsed) = 0;
    virtual void draw(const Frustum& frustum) = 0;

    glm::mat4 modelMatrix;
    glm::mat4 baseModelMatrix;
};

} // namespace rtr::scene
