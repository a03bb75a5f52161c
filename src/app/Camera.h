#pragma once
// A viewer camera: a pose (position, direction, up) kept as a look-at view
// matrix and a fixed perspective projection, with the moves the viewer and the
// tour make: free flight from keys and mouse, a straight dolly along the view
// direction and an orbit around the campfire.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

struct GLFWwindow;
class CameraInput;

class Camera {
public:
    // fieldOfView goes to glm::perspective as radians. The direction is kept
    // at the length given: flight and dolly speeds scale with it.
    Camera(float fieldOfView, float width, float height, const glm::vec3& direction,
           const glm::vec3& position, const glm::vec3& up, GLFWwindow* window);

    glm::mat4 getViewMatrix() const;
    glm::mat4 getProjectionMatrix() const;

    // Free flight for one frame from the keys and the cursor: the window's
    // in the program, a test's scripted ones in tests. The input carries
    // whether the cursor was centred by the last frame, so one input serves
    // every camera of the set.
    void fly(float dt, CameraInput& input);

    // A new picture size (the window was resized): the same field of view
    // at the new aspect ratio.
    void resize(float width, float height);

    // Back to the pose given at construction.
    void reset();
    // viewMatrix = lookAt(position, position + direction, up).
    void refreshView();
    // Moves along the view direction at 10 direction lengths per second.
    void dolly(float dt);
    // Advances the shared `orbitAngle` and places the camera on a circle of
    // `radius` around the campfire, slightly above it, looking at its centre.
    void orbit(float dt, float radius, float angularSpeed);

    float fieldOfView;
    float aspect;
    glm::vec3 right;  // used by orbit only
    glm::vec3 up;
    glm::vec3 direction;
    glm::vec3 position;
    glm::vec3 initialUp;
    glm::vec3 initialDirection;
    glm::vec3 initialPosition;
    glm::mat4 viewMatrix;
    glm::mat4 initialViewMatrix;
    glm::mat4 projectionMatrix;
    GLFWwindow* window;
    float width;
    float height;
};
