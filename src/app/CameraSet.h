#pragma once
// The viewer's cameras, one of them selected, and the fixed 50-second tour
// that walks five of them through scripted moves. importCameras builds the set
// from the cameras of an imported scene.

#include "app/Camera.h"

#include <memory>
#include <vector>

struct GLFWwindow;
struct aiScene;

class CameraSet {
public:
    // The set owns its cameras; the scene loader owns the imported set.
    CameraSet(std::unique_ptr<Camera> defaultCamera, GLFWwindow* window);

    CameraSet(const CameraSet&) = delete;
    CameraSet& operator=(const CameraSet&) = delete;

    // The selected camera: index 0 is the default camera, k the k-th extra one.
    Camera* current() const;
    // Appends an extra camera; the selection does not change.
    void add(std::unique_ptr<Camera> camera);
    // Camera k in index terms, or null when the set has no such camera.
    Camera* camera(int k) const;

    // Next and previous camera, wrapping from the last extra camera to the
    // default one and back.
    void selectNext();
    void selectPrevious();

    // Every camera back to its initial pose: the default one, then the extra
    // ones in order.
    void resetAll();

    // Every camera's projection to a new picture size.
    void resize(float width, float height);

    // One frame of the tour. tourTime advances by dt; past 50 s the tour
    // restarts at 0 with every camera reset. See CameraSet.cpp for the script.
    void runTour(double dt);

    std::vector<std::unique_ptr<Camera>> extraCameras;
    GLFWwindow* window;
    int count;
    int index;  // 0..count
    double tourTime;
    std::unique_ptr<Camera> defaultCamera;
};

// One camera per scene camera, in scene order, the first as the default
// camera. Each pose is the scene camera's transformed by its node's own
// matrix. A null scene or one without cameras gets a single camera at the
// origin looking down -z, so that there is always something to render with.
std::unique_ptr<CameraSet> importCameras(const aiScene* scene, float width, float height, GLFWwindow* window);
