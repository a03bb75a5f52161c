#include "app/Camera.h"

#include "app/AppState.h"
#include "app/CameraInput.h"

#include <GLFW/glfw3.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1000.0f;
// Flight and dolly speed, in direction lengths per second.
constexpr float kMoveSpeed = 10.0f;
// Cursor pixels from the window centre become a turn of
// pixels * 50 * dt * 0.0025 = 0.125 * dt radians per pixel.
constexpr float kCursorScale = 50.0f;
constexpr float kTurnRate = 0.0025f;

// The orbit circles the campfire: this is its centre, and the camera rides
// this far above the circle's plane.
constexpr glm::vec3 kOrbitCentre(-0.2681f, 3.1945f, 31.7771f);
constexpr float kOrbitHeight = 0.75f;

constexpr glm::vec3 kWorldUp(0.0f, 1.0f, 0.0f);

} // namespace

Camera::Camera(float fieldOfView, float width, float height, const glm::vec3& direction,
               const glm::vec3& position, const glm::vec3& up, GLFWwindow* window)
    : fieldOfView(fieldOfView), aspect(width / height), right(1.0f, 1.0f, 1.0f), up(up),
      direction(direction), position(position), window(window), width(width), height(height) {
    projectionMatrix = glm::perspective(fieldOfView, aspect, kNearPlane, kFarPlane);
    refreshView();
    initialViewMatrix = viewMatrix;
    initialDirection = direction;
    initialPosition = position;
    initialUp = up;
}

void Camera::resize(float newWidth, float newHeight) {
    width = newWidth;
    height = newHeight;
    aspect = width / height;
    projectionMatrix = glm::perspective(fieldOfView, aspect, kNearPlane, kFarPlane);
}

glm::mat4 Camera::getViewMatrix() const { return viewMatrix; }

glm::mat4 Camera::getProjectionMatrix() const { return projectionMatrix; }

void Camera::fly(float dt, CameraInput& input) {
    // cross(up, direction) points to the viewer's left.
    const glm::vec3 side = glm::normalize(glm::cross(up, direction));

    // The cursor is put back at the centre every frame, so its offset is the
    // mouse movement since the last frame. A window without focus cannot
    // move the cursor: the same offset would turn the view again every
    // frame, so the mouse turns nothing until focus returns, and that first
    // frame back only takes the cursor as the new centre. The same goes
    // while the input says the mouse is not steering (a window without the
    // right button held).
    float yaw = 0.0f;
    float pitch = 0.0f;
    if (input.mouseSteers()) {
        const glm::dvec2 cursor = input.cursorPosition();
        const glm::ivec2 size = input.windowSize();
        const int centreX = size.x / 2;
        const int centreY = size.y / 2;
        input.setCursorPosition(centreX, centreY);
        if (input.cursorCentred) {
            yaw = static_cast<float>((centreX - cursor.x) * kCursorScale);
            pitch = static_cast<float>((centreY - cursor.y) * kCursorScale);
        }
        input.cursorCentred = true;
    } else {
        input.cursorCentred = false;
    }

    const float step = kMoveSpeed * dt;
    if (input.isKeyDown(GLFW_KEY_W))
        position += direction * step;
    if (input.isKeyDown(GLFW_KEY_S))
        position -= direction * step;
    if (input.isKeyDown(GLFW_KEY_A))
        position += side * step;
    if (input.isKeyDown(GLFW_KEY_D))
        position -= side * step;

    // Yaw about the world's y axis, pitch about the camera's own side axis;
    // the negative pitch angle about the left-pointing axis tilts the view up
    // when the cursor moved up. Pitch is deliberately not limited.
    const glm::mat4 yawRotation = glm::rotate(glm::mat4(1.0f), yaw * dt * kTurnRate, kWorldUp);
    const glm::mat4 rotation = glm::rotate(yawRotation, pitch * dt * -kTurnRate, side);
    up = glm::vec3(rotation * glm::vec4(up, 0.0f));
    direction = glm::vec3(rotation * glm::vec4(direction, 0.0f));

    refreshView();
}

void Camera::reset() {
    viewMatrix = initialViewMatrix;
    position = initialPosition;
    direction = initialDirection;
    up = initialUp;
}

void Camera::refreshView() { viewMatrix = glm::lookAt(position, position + direction, up); }

void Camera::dolly(float dt) {
    position += direction * kMoveSpeed * dt;
    refreshView();
}

void Camera::orbit(float dt, float radius, float angularSpeed) {
    // The angle is shared and never reset, so each tour cycle's orbit starts
    // where the last one stopped.
    orbitAngle += dt * angularSpeed;
    const glm::vec4 onCircle =
        glm::rotate(glm::mat4(1.0f), orbitAngle, kWorldUp) * glm::vec4(radius, 0.0f, 0.0f, 1.0f);
    position = glm::vec3(onCircle.x + kOrbitCentre.x, onCircle.y + kOrbitCentre.y + kOrbitHeight,
                         onCircle.z + kOrbitCentre.z);
    direction = glm::normalize(kOrbitCentre - position);
    right = glm::normalize(glm::cross(kWorldUp, direction));
    up = glm::normalize(glm::cross(direction, right));
    refreshView();
}
