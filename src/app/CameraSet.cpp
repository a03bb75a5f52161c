#include "app/CameraSet.h"

#include <assimp/scene.h>
#include <glm/gtc/type_ptr.hpp>

#include <cassert>
#include <utility>

namespace {

// Cameras are built with 45 "degrees" handed to glm::perspective as radians;
// the scene's own field of view is not used. The resulting vertical field of
// view, about 58 degrees, is the look the scene was composed for.
constexpr float kFieldOfView = 45.0f;

constexpr double kTourLength = 50.0;
constexpr float kOrbitRadius = 5.0f;
constexpr float kOrbitSpeed = 0.2617994f;  // pi / 12: one turn in 24 s

glm::mat4 toGlm(const aiMatrix4x4& m) {
    // Assimp stores rows, glm columns.
    return glm::transpose(glm::make_mat4(&m.a1));
}

std::unique_ptr<Camera> importCamera(const aiScene& scene, const aiCamera& source, float width,
                                     float height, GLFWwindow* window) {
    // Only the node's own matrix places the camera, not its parents': a camera
    // nested under a transformed node is placed as if it hung from the root.
    // A camera whose node is missing keeps its pose untransformed.
    glm::mat4 transform(1.0f);
    if (scene.mRootNode != nullptr) {
        if (const aiNode* node = scene.mRootNode->FindNode(source.mName))
            transform = toGlm(node->mTransformation);
    }
    const glm::mat3 rotation(transform);
    const glm::vec3 direction =
        rotation * glm::vec3(source.mLookAt.x, source.mLookAt.y, source.mLookAt.z);
    const glm::vec3 up = rotation * glm::vec3(source.mUp.x, source.mUp.y, source.mUp.z);
    const glm::vec3 position = glm::vec3(
        transform * glm::vec4(source.mPosition.x, source.mPosition.y, source.mPosition.z, 1.0f));
    return std::make_unique<Camera>(kFieldOfView, width, height, direction, position, up, window);
}

} // namespace

CameraSet::CameraSet(std::unique_ptr<Camera> defaultCamera, GLFWwindow* window)
    : window(window), count(0), index(0), tourTime(0.0), defaultCamera(std::move(defaultCamera)) {
    assert(this->defaultCamera != nullptr);
}

Camera* CameraSet::current() const {
    assert(index >= 0 && index <= count);
    return camera(index);
}

void CameraSet::add(std::unique_ptr<Camera> camera) {
    extraCameras.push_back(std::move(camera));
    count += 1;
}

Camera* CameraSet::camera(int k) const {
    if (k == 0)
        return defaultCamera.get();
    if (k < 0 || k > count)
        return nullptr;
    return extraCameras[static_cast<std::size_t>(k - 1)].get();
}

void CameraSet::selectNext() {
    index += 1;
    if (index > count)
        index = 0;
}

void CameraSet::selectPrevious() {
    index -= 1;
    if (index < 0)
        index = count;
}

void CameraSet::resetAll() {
    defaultCamera->reset();
    for (const std::unique_ptr<Camera>& extra : extraCameras)
        extra->reset();
}

void CameraSet::resize(float width, float height) {
    defaultCamera->resize(width, height);
    for (const std::unique_ptr<Camera>& extra : extraCameras)
        extra->resize(width, height);
}

void CameraSet::runTour(double dt) {
    tourTime += dt;
    if (tourTime > kTourLength) {
        // The restart frame already plays as t = 0, so the loop has no idle frame.
        tourTime = 0.0;
        resetAll();
    }
    const double t = tourTime;
    const float step = static_cast<float>(dt);

    // The script, on open intervals of tour time; between them (and at 18 s
    // and 42 s exactly) the last camera stays on screen, unmoved. A step whose
    // camera the scene lacks is skipped: the selection stays and nothing moves.
    enum class Move { None, Dolly, Hold, Orbit };
    int k = 0;
    Move move = Move::None;
    if (t < 9.5) {
        k = 0;
        move = Move::Dolly;
    } else if (t > 11.5 && t < 18.0) {
        k = 4;
        move = Move::Hold;
    } else if (t > 18.0 && t < 31.0) {
        k = 2;
        move = Move::Orbit;
    } else if (t > 34.0 && t < 42.0) {
        k = 1;
        move = Move::Hold;
    } else if (t > 42.0 && t < 46.25) {
        k = 3;
        move = Move::Dolly;
    }
    if (move == Move::None)
        return;
    Camera* target = camera(k);
    if (target == nullptr)
        return;
    index = k;
    switch (move) {
    case Move::Dolly:
        target->dolly(step);
        break;
    case Move::Hold:
        target->refreshView();
        break;
    case Move::Orbit:
        target->orbit(step, kOrbitRadius, kOrbitSpeed);
        break;
    case Move::None:
        break;
    }
}

std::unique_ptr<CameraSet> importCameras(const aiScene* scene, float width, float height, GLFWwindow* window) {
    std::unique_ptr<CameraSet> set;
    if (scene != nullptr) {
        for (unsigned int i = 0; i < scene->mNumCameras; ++i) {
            std::unique_ptr<Camera> camera =
                importCamera(*scene, *scene->mCameras[i], width, height, window);
            if (set == nullptr)
                set = std::make_unique<CameraSet>(std::move(camera), window);
            else
                set->add(std::move(camera));
        }
    }
    if (set == nullptr) {
        set = std::make_unique<CameraSet>(std::make_unique<Camera>(kFieldOfView, width, height,
                                                                   glm::vec3(0.0f, 0.0f, -1.0f), glm::vec3(0.0f),
                                                                   glm::vec3(0.0f, 1.0f, 0.0f), window),
                                          window);
    }
    return set;
}
