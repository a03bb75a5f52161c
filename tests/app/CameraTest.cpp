// The camera maths without a window: construction, free flight under scripted
// input, the tour moves and script, the selection, and the import of cameras
// from a scene built in memory.

#include "app/AppState.h"
#include "app/Camera.h"
#include "app/CameraInput.h"
#include "app/CameraSet.h"

#include <GLFW/glfw3.h>
#include <assimp/scene.h>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kOrbitSpeed = kPi / 12.0f;
const glm::vec3 kOrbitCentre(-0.2681f, 3.1945f, 31.7771f);

// A window handle the cameras only carry around; nothing dereferences it.
GLFWwindow* const kWindow = reinterpret_cast<GLFWwindow*>(0x1234);

::testing::AssertionResult near(const glm::vec3& actual, const glm::vec3& expected,
                                float tolerance = 1e-5f) {
    if (glm::all(glm::lessThanEqual(glm::abs(actual - expected), glm::vec3(tolerance))))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not ("
           << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

::testing::AssertionResult near(const glm::mat4& actual, const glm::mat4& expected,
                                float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (std::abs(actual[c][r] - expected[c][r]) > tolerance)
                return ::testing::AssertionFailure()
                       << "element [" << c << "][" << r << "] is " << actual[c][r]
                       << ", expected " << expected[c][r];
    return ::testing::AssertionSuccess();
}

// Scripted input. An unfocused window ignores cursor moves, as GLFW does.
class FakeInput final : public CameraInput {
public:
    std::set<int> keysDown;
    glm::dvec2 cursor{400.0, 300.0};
    glm::ivec2 size{801, 601};
    bool focused = true;
    std::vector<glm::dvec2> cursorMoves;

    // As in mid-flight: the last frame centred the cursor.
    FakeInput() { cursorCentred = true; }

    bool isKeyDown(int key) const override { return keysDown.count(key) != 0; }
    glm::dvec2 cursorPosition() const override { return cursor; }
    glm::ivec2 windowSize() const override { return size; }
    void setCursorPosition(double x, double y) override {
        cursorMoves.emplace_back(x, y);
        if (focused)
            cursor = {x, y};
    }
    bool hasFocus() const override { return focused; }
};

Camera makeCamera(const glm::vec3& direction = {0.0f, 0.0f, -1.0f},
                  const glm::vec3& position = {0.0f, 0.0f, 0.0f},
                  const glm::vec3& up = {0.0f, 1.0f, 0.0f}) {
    return Camera(45.0f, 800.0f, 600.0f, direction, position, up, kWindow);
}

class CameraFixture : public ::testing::Test {
protected:
    // The orbit angle is process-wide and carries over between tests.
    void SetUp() override { orbitAngle = 0.0f; }
    void TearDown() override { orbitAngle = 0.0f; }
};

using CameraTest = CameraFixture;

TEST_F(CameraTest, ConstructionTakesTheFieldOfViewAsRadiansAndLooksAlongTheDirection) {
    const glm::vec3 direction(0.0f, -0.5f, -2.0f);
    const glm::vec3 position(1.0f, 2.0f, 3.0f);
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const Camera camera(45.0f, 1280.0f, 720.0f, direction, position, up, kWindow);

    EXPECT_FLOAT_EQ(camera.aspect, 1280.0f / 720.0f);
    EXPECT_EQ(camera.getProjectionMatrix(),
              glm::perspective(45.0f, 1280.0f / 720.0f, 0.1f, 1000.0f));
    // 45 radians, not degrees: the half-height slope is tan(22.5).
    EXPECT_NEAR(camera.getProjectionMatrix()[1][1], 1.0 / std::tan(22.5), 1e-4);
    EXPECT_EQ(camera.getViewMatrix(), glm::lookAt(position, position + direction, up));
    EXPECT_EQ(camera.initialViewMatrix, camera.viewMatrix);
    EXPECT_EQ(camera.direction, direction);  // not normalised
    EXPECT_EQ(camera.initialDirection, direction);
    EXPECT_EQ(camera.initialPosition, position);
    EXPECT_EQ(camera.initialUp, up);
    EXPECT_EQ(camera.right, glm::vec3(1.0f));
    EXPECT_EQ(camera.window, kWindow);
    EXPECT_FLOAT_EQ(camera.width, 1280.0f);
    EXPECT_FLOAT_EQ(camera.height, 720.0f);
}

TEST_F(CameraTest, DollyMovesTenDirectionLengthsPerSecondAndResetRestoresThePose) {
    Camera camera = makeCamera({0.0f, 0.0f, -2.0f}, {1.0f, 0.0f, 0.0f});
    camera.dolly(0.25f);
    EXPECT_TRUE(near(camera.position, {1.0f, 0.0f, -5.0f}));
    EXPECT_EQ(camera.viewMatrix, glm::lookAt(camera.position, camera.position + camera.direction,
                                             camera.up));

    FakeInput input;
    input.cursor = {350.0, 280.0};
    camera.fly(0.1f, input);
    camera.reset();
    EXPECT_EQ(camera.position, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(camera.direction, glm::vec3(0.0f, 0.0f, -2.0f));
    EXPECT_EQ(camera.up, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(camera.viewMatrix, camera.initialViewMatrix);
}

TEST_F(CameraTest, FlyMovesTenDirectionLengthsPerSecondPerHeldKey) {
    // A direction of length 2 flies at 20 units per second; strafing uses the
    // normalised side axis, at 10.
    struct Case {
        std::set<int> keys;
        glm::vec3 expected;
    };
    const Case cases[] = {
        {{GLFW_KEY_W}, {0.0f, 0.0f, -2.0f}},
        {{GLFW_KEY_S}, {0.0f, 0.0f, 2.0f}},
        {{GLFW_KEY_A}, {-1.0f, 0.0f, 0.0f}},
        {{GLFW_KEY_D}, {1.0f, 0.0f, 0.0f}},
        {{GLFW_KEY_W, GLFW_KEY_A}, {-1.0f, 0.0f, -2.0f}},
        {{GLFW_KEY_W, GLFW_KEY_S}, {0.0f, 0.0f, 0.0f}},
        {{GLFW_KEY_Q, GLFW_KEY_E}, {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        Camera camera = makeCamera({0.0f, 0.0f, -2.0f});
        FakeInput input;
        input.keysDown = c.keys;
        camera.fly(0.1f, input);
        EXPECT_TRUE(near(camera.position, c.expected)) << "keys held: " << c.keys.size();
        // A centred cursor does not turn.
        EXPECT_TRUE(near(camera.direction, {0.0f, 0.0f, -2.0f}));
        EXPECT_TRUE(near(camera.viewMatrix,
                         glm::lookAt(c.expected, c.expected + camera.direction, camera.up)));
    }
}

TEST_F(CameraTest, FlyRecentresTheCursorOnTheIntegerHalfOfTheWindow) {
    Camera camera = makeCamera();
    FakeInput input;
    input.size = {801, 601};
    input.cursor = {410.7, 295.2};
    camera.fly(0.016f, input);
    ASSERT_EQ(input.cursorMoves.size(), 1u);
    EXPECT_EQ(input.cursorMoves[0], glm::dvec2(400.0, 300.0));
}

TEST_F(CameraTest, FlyTurnsByTheCursorDistanceFromTheCentre) {
    // 10 pixels at dt = 0.1 turn by 10 * 50 * 0.1 * 0.0025 = 0.125 rad.
    const float s = std::sin(0.125f);
    const float c = std::cos(0.125f);
    struct Case {
        const char* name;
        glm::dvec2 cursor;
        glm::vec3 direction;
        glm::vec3 up;
    };
    const Case cases[] = {
        {"left turns left about world y", {390.0, 300.0}, {-s, 0.0f, -c}, {0.0f, 1.0f, 0.0f}},
        {"right turns right", {410.0, 300.0}, {s, 0.0f, -c}, {0.0f, 1.0f, 0.0f}},
        {"up tilts up about the side axis", {400.0, 290.0}, {0.0f, s, -c}, {0.0f, c, s}},
        {"down tilts down", {400.0, 310.0}, {0.0f, -s, -c}, {0.0f, c, -s}},
        // Pitch about the old side axis first, then yaw about world y.
        {"up-left pitches then yaws", {390.0, 290.0}, {-s * c, s, -c * c}, {s * s, c, c * s}},
    };
    for (const Case& k : cases) {
        Camera camera = makeCamera();
        FakeInput input;
        input.cursor = k.cursor;
        camera.fly(0.1f, input);
        EXPECT_TRUE(near(camera.direction, k.direction)) << k.name;
        EXPECT_TRUE(near(camera.up, k.up)) << k.name;
        EXPECT_TRUE(near(camera.viewMatrix, glm::lookAt(camera.position,
                                                        camera.position + camera.direction,
                                                        camera.up)))
            << k.name;
    }
}

TEST_F(CameraTest, FlyTurnScalesWithFrameTimeAndKeepsTheDirectionLength) {
    Camera camera = makeCamera({0.0f, 0.0f, -3.0f});
    FakeInput input;
    input.cursor = {390.0, 300.0};
    camera.fly(0.2f, input);  // twice the frame time of the case above
    EXPECT_TRUE(near(camera.direction, 3.0f * glm::vec3(-std::sin(0.25f), 0.0f,
                                                         -std::cos(0.25f))));
    EXPECT_NEAR(glm::length(camera.direction), 3.0f, 1e-5f);
}

TEST_F(CameraTest, WithoutFocusTheMouseTurnsNothingAndFocusReturnsWithoutAJump) {
    Camera camera = makeCamera();
    FakeInput input;
    input.focused = false;
    input.cursor = {390.0, 300.0};
    for (int i = 0; i < 3; ++i)
        camera.fly(0.1f, input);
    EXPECT_TRUE(near(camera.direction, {0.0f, 0.0f, -1.0f})) << "the same offset must not turn the view every frame";

    // Focus returns with the cursor still off-centre: that frame only takes
    // it as the centre; the next movement turns as usual.
    input.focused = true;
    camera.fly(0.1f, input);
    EXPECT_TRUE(near(camera.direction, {0.0f, 0.0f, -1.0f}));
    EXPECT_EQ(input.cursor, glm::dvec2(400.0, 300.0));
    input.cursor = {390.0, 300.0};
    camera.fly(0.1f, input);
    EXPECT_TRUE(near(camera.direction, {-std::sin(0.125f), 0.0f, -std::cos(0.125f)}));
}

TEST_F(CameraTest, OrbitCirclesTheCampfireAtRadiusFiveAndLooksAtIt) {
    Camera camera = makeCamera();
    for (int step = 1; step <= 30; ++step) {
        camera.orbit(0.5f, 5.0f, kOrbitSpeed);
        const float angle = step * 0.5f * kOrbitSpeed;
        EXPECT_NEAR(orbitAngle, angle, 1e-5f);
        // glm::rotate about +y takes (5, 0, 0) to (5 cos a, 0, -5 sin a).
        EXPECT_TRUE(near(camera.position, kOrbitCentre + glm::vec3(5.0f * std::cos(angle), 0.75f,
                                                                   -5.0f * std::sin(angle)),
                         1e-4f))
            << "step " << step;
        EXPECT_TRUE(near(camera.direction, glm::normalize(kOrbitCentre - camera.position)));
        EXPECT_NEAR(glm::dot(camera.up, camera.direction), 0.0f, 1e-5f);
        EXPECT_NEAR(glm::dot(camera.right, camera.direction), 0.0f, 1e-5f);
        EXPECT_NEAR(glm::length(camera.up), 1.0f, 1e-5f);
        EXPECT_GT(camera.up.y, 0.0f);
        EXPECT_TRUE(near(camera.viewMatrix, glm::lookAt(camera.position, kOrbitCentre, camera.up),
                         1e-4f));
    }
    // One turn every 24 seconds: after 24 s of orbit the camera is back.
    camera.orbit(9.0f, 5.0f, kOrbitSpeed);
    EXPECT_NEAR(orbitAngle, 2.0f * kPi, 1e-4f);
    EXPECT_TRUE(near(camera.position, kOrbitCentre + glm::vec3(5.0f, 0.75f, 0.0f), 1e-3f));
}

TEST_F(CameraTest, OrbitContinuesFromTheSharedAngle) {
    Camera first = makeCamera();
    Camera second = makeCamera({1.0f, 0.0f, 0.0f}, {9.0f, 9.0f, 9.0f});
    first.orbit(1.0f, 5.0f, kOrbitSpeed);
    second.orbit(1.0f, 5.0f, kOrbitSpeed);
    const float angle = 2.0f * kOrbitSpeed;
    EXPECT_NEAR(orbitAngle, angle, 1e-6f);
    EXPECT_TRUE(near(second.position, kOrbitCentre + glm::vec3(5.0f * std::cos(angle), 0.75f,
                                                               -5.0f * std::sin(angle)),
                     1e-4f));
}

// Five cameras with distinct poses, as the scene file has them.
std::unique_ptr<CameraSet> makeSet(int cameraCount) {
    auto make = [](int i) {
        return std::make_unique<Camera>(45.0f, 800.0f, 600.0f,
                                        glm::vec3(0.0f, 0.0f, -1.0f - static_cast<float>(i)),
                                        glm::vec3(10.0f * static_cast<float>(i), 1.0f, 0.0f),
                                        glm::vec3(0.0f, 1.0f, 0.0f), kWindow);
    };
    auto set = std::make_unique<CameraSet>(make(0), kWindow);
    for (int i = 1; i < cameraCount; ++i)
        set->add(make(i));
    return set;
}

struct Pose {
    glm::vec3 position, direction, up;
    glm::mat4 view;
    bool operator==(const Pose&) const = default;
};

Pose poseOf(const Camera& camera) {
    return {camera.position, camera.direction, camera.up, camera.viewMatrix};
}

std::vector<Pose> posesOf(const CameraSet& set) {
    std::vector<Pose> poses{poseOf(*set.defaultCamera)};
    for (const auto& extra : set.extraCameras)
        poses.push_back(poseOf(*extra));
    return poses;
}

// A view matrix no move would produce, to see whether a step refreshed it.
constexpr float kStale = 42.0f;
void makeViewsStale(CameraSet& set) {
    set.defaultCamera->viewMatrix = glm::mat4(kStale);
    for (auto& extra : set.extraCameras)
        extra->viewMatrix = glm::mat4(kStale);
}

using CameraSetTest = CameraFixture;

TEST_F(CameraSetTest, CurrentFollowsTheIndexAndAddKeepsTheSelection) {
    auto set = makeSet(1);
    EXPECT_EQ(set->count, 0);
    EXPECT_EQ(set->index, 0);
    EXPECT_DOUBLE_EQ(set->tourTime, 0.0);
    EXPECT_EQ(set->window, kWindow);
    EXPECT_EQ(set->current(), set->defaultCamera.get());

    set->add(std::make_unique<Camera>(makeCamera()));
    set->add(std::make_unique<Camera>(makeCamera()));
    EXPECT_EQ(set->count, 2);
    EXPECT_EQ(set->extraCameras.size(), 2u);
    EXPECT_EQ(set->index, 0);
    set->index = 1;
    EXPECT_EQ(set->current(), set->extraCameras[0].get());
    set->index = 2;
    EXPECT_EQ(set->current(), set->extraCameras[1].get());
    EXPECT_EQ(set->camera(3), nullptr);
    EXPECT_EQ(set->camera(-1), nullptr);
}

TEST_F(CameraSetTest, NextAndPreviousWrapAroundTheExtraCameras) {
    auto set = makeSet(5);
    std::vector<int> walked;
    for (int i = 0; i < 5; ++i) {
        set->selectNext();
        walked.push_back(set->index);
    }
    EXPECT_EQ(walked, (std::vector<int>{1, 2, 3, 4, 0}));
    walked.clear();
    for (int i = 0; i < 5; ++i) {
        set->selectPrevious();
        walked.push_back(set->index);
    }
    EXPECT_EQ(walked, (std::vector<int>{4, 3, 2, 1, 0}));

    auto single = makeSet(1);
    single->selectNext();
    EXPECT_EQ(single->index, 0);
    single->selectPrevious();
    EXPECT_EQ(single->index, 0);
}

TEST_F(CameraSetTest, ResetAllRestoresEveryCamera) {
    auto set = makeSet(5);
    const std::vector<Pose> initial = posesOf(*set);
    set->defaultCamera->dolly(1.0f);
    for (auto& extra : set->extraCameras)
        extra->orbit(1.0f, 5.0f, kOrbitSpeed);
    set->resetAll();
    EXPECT_EQ(posesOf(*set), initial);
}

TEST_F(CameraSetTest, TourSelectsAndMovesTheCameraOfEachInterval) {
    struct Case {
        double before;  // tour time before the frame
        double dt;
        int camera;
        enum { Dolly, Hold, Orbit } move;
    };
    const Case cases[] = {
        {0.0, 0.1, 0, Case::Dolly},   {9.0, 0.4, 0, Case::Dolly},
        {11.5, 0.25, 4, Case::Hold},  {17.5, 0.25, 4, Case::Hold},
        {18.0, 0.25, 2, Case::Orbit}, {30.5, 0.25, 2, Case::Orbit},
        {34.0, 0.25, 1, Case::Hold},  {41.5, 0.25, 1, Case::Hold},
        {42.0, 0.25, 3, Case::Dolly}, {45.75, 0.25, 3, Case::Dolly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t = " << c.before + c.dt);
        orbitAngle = 0.0f;
        auto set = makeSet(5);
        set->index = c.camera == 2 ? 3 : 2;
        set->tourTime = c.before;
        makeViewsStale(*set);
        std::vector<Pose> expected = posesOf(*set);
        Camera& target = *set->camera(c.camera);
        const Pose before = poseOf(target);

        set->runTour(c.dt);

        EXPECT_DOUBLE_EQ(set->tourTime, c.before + c.dt);
        EXPECT_EQ(set->index, c.camera);
        EXPECT_EQ(set->current(), &target);
        const float dt = static_cast<float>(c.dt);
        switch (c.move) {
        case Case::Dolly:
            EXPECT_TRUE(near(target.position, before.position + before.direction * 10.0f * dt));
            EXPECT_EQ(target.direction, before.direction);
            break;
        case Case::Hold:
            EXPECT_EQ(target.position, before.position);
            EXPECT_EQ(target.direction, before.direction);
            break;
        case Case::Orbit:
            EXPECT_NEAR(orbitAngle, dt * kOrbitSpeed, 1e-6f);
            EXPECT_NEAR(glm::distance(glm::vec2(target.position.x, target.position.z),
                                      glm::vec2(kOrbitCentre.x, kOrbitCentre.z)),
                        5.0f, 1e-4f);
            break;
        }
        if (c.move != Case::Orbit) {
            EXPECT_EQ(orbitAngle, 0.0f);
        }
        EXPECT_TRUE(near(target.viewMatrix, glm::lookAt(target.position,
                                                        target.position + target.direction,
                                                        target.up)));
        // No other camera moves.
        expected[static_cast<std::size_t>(c.camera)] = poseOf(target);
        EXPECT_EQ(posesOf(*set), expected);
    }
}

TEST_F(CameraSetTest, TourDoesNothingInTheGapsNorAtTheBoundaries) {
    // Each lands exactly on the listed time (all are exact in binary).
    const double gaps[] = {9.5, 10.5, 11.5, 18.0, 31.0, 32.5, 34.0, 42.0, 46.25, 48.0, 50.0};
    for (const double t : gaps) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        auto set = makeSet(5);
        set->index = 3;
        set->tourTime = t - 0.25;
        makeViewsStale(*set);
        const std::vector<Pose> before = posesOf(*set);

        set->runTour(0.25);

        EXPECT_DOUBLE_EQ(set->tourTime, t);
        EXPECT_EQ(set->index, 3);
        EXPECT_EQ(posesOf(*set), before);
        EXPECT_EQ(orbitAngle, 0.0f);
    }
}

TEST_F(CameraSetTest, TourPastFiftySecondsRestartsAtZeroWithEveryCameraReset) {
    auto set = makeSet(5);
    const std::vector<Pose> initial = posesOf(*set);
    set->defaultCamera->dolly(3.0f);
    for (auto& extra : set->extraCameras)
        extra->orbit(1.0f, 5.0f, kOrbitSpeed);
    set->index = 3;
    set->tourTime = 49.9;

    set->runTour(0.2);

    EXPECT_DOUBLE_EQ(set->tourTime, 0.0);
    EXPECT_EQ(set->index, 0);
    // The restart frame plays as t = 0: the default camera dollies from its
    // initial pose by this frame's dt.
    EXPECT_TRUE(near(set->defaultCamera->position,
                     initial[0].position + initial[0].direction * 10.0f * 0.2f));
    for (std::size_t i = 1; i < initial.size(); ++i) {
        EXPECT_EQ(poseOf(*set->extraCameras[i - 1]), initial[i]) << "extra camera " << i;
    }
}

TEST_F(CameraSetTest, OrbitAngleCarriesOverBetweenTourCycles) {
    auto set = makeSet(5);
    Camera& orbiting = *set->extraCameras[1];
    // Frames of 0.25 s: t = 18.25 .. 30.75 orbit, 51 frames per cycle.
    auto runUntil = [&](double t) {
        while (set->tourTime < t - 1e-9)
            set->runTour(0.25);
    };
    runUntil(31.0);
    const float firstCycleAngle = orbitAngle;
    EXPECT_NEAR(firstCycleAngle, 51 * 0.25f * kOrbitSpeed, 1e-4f);
    const glm::vec3 firstCycleEnd = orbiting.position;

    runUntil(50.0);
    set->runTour(0.25);  // restart
    EXPECT_DOUBLE_EQ(set->tourTime, 0.0);
    EXPECT_EQ(orbiting.position, orbiting.initialPosition);
    EXPECT_EQ(orbitAngle, firstCycleAngle);

    runUntil(31.0);
    EXPECT_NEAR(orbitAngle, 2.0f * firstCycleAngle, 1e-4f);
    const float angle = orbitAngle;
    EXPECT_TRUE(near(orbiting.position, kOrbitCentre + glm::vec3(5.0f * std::cos(angle), 0.75f,
                                                                 -5.0f * std::sin(angle)),
                     1e-3f));
    EXPECT_FALSE(near(orbiting.position, firstCycleEnd, 1e-2f));
}

TEST_F(CameraSetTest, TourWithFewerThanFiveCamerasSkipsTheMissingOnes) {
    // Default camera and one extra: cameras 2, 3 and 4 are missing.
    struct Case {
        double t;
        int index;
    };
    const Case cases[] = {{5.0, 0}, {15.0, 1}, {25.0, 1}, {38.0, 1}, {44.0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t = " << c.t);
        auto set = makeSet(2);
        set->index = 1;
        set->tourTime = c.t - 0.25;
        set->extraCameras[0]->viewMatrix = glm::mat4(kStale);
        const std::vector<Pose> before = posesOf(*set);
        set->runTour(0.25);
        EXPECT_EQ(set->index, c.index);
        EXPECT_EQ(orbitAngle, 0.0f);
        if (c.t == 5.0 || c.t == 38.0) {
            EXPECT_NE(posesOf(*set), before);
        } else {
            EXPECT_EQ(posesOf(*set), before);
        }
    }

    // A whole tour with the default camera alone only ever dollies it.
    auto single = makeSet(1);
    for (int frame = 0; frame < 440; ++frame) {
        single->runTour(0.25);
        ASSERT_EQ(single->index, 0);
        ASSERT_NE(single->current(), nullptr);
    }
    EXPECT_EQ(orbitAngle, 0.0f);
}

// A scene with cameras under nodes, built in memory the way the importer
// leaves it. The scene owns everything handed to it.
class SceneBuilder {
public:
    SceneBuilder() : scene_(std::make_unique<aiScene>()) {}

    aiNode* node(const char* name, aiNode* parent, const aiMatrix4x4& transform) {
        auto* node = new aiNode(name);
        node->mTransformation = transform;
        if (parent == nullptr) {
            scene_->mRootNode = node;
        } else {
            node->mParent = parent;
            auto** children = new aiNode*[parent->mNumChildren + 1];
            for (unsigned int i = 0; i < parent->mNumChildren; ++i)
                children[i] = parent->mChildren[i];
            children[parent->mNumChildren] = node;
            delete[] parent->mChildren;
            parent->mChildren = children;
            parent->mNumChildren += 1;
        }
        return node;
    }

    void camera(const char* name, aiVector3D position, aiVector3D lookAt, aiVector3D up) {
        auto* camera = new aiCamera();
        camera->mName = name;
        camera->mPosition = position;
        camera->mLookAt = lookAt;
        camera->mUp = up;
        // Values the viewer's cameras must not pick up.
        camera->mHorizontalFOV = 1.0f;
        camera->mAspect = 0.5f;
        camera->mClipPlaneNear = 5.0f;
        camera->mClipPlaneFar = 50.0f;
        cameras_.push_back(camera);
        delete[] scene_->mCameras;
        scene_->mCameras = new aiCamera*[cameras_.size()];
        std::copy(cameras_.begin(), cameras_.end(), scene_->mCameras);
        scene_->mNumCameras = static_cast<unsigned int>(cameras_.size());
    }

    const aiScene* scene() const { return scene_.get(); }

private:
    std::unique_ptr<aiScene> scene_;
    std::vector<aiCamera*> cameras_;
};

// Rows as Assimp stores them.
aiMatrix4x4 translation(float x, float y, float z) {
    return aiMatrix4x4(1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1);
}

using ImportCamerasTest = CameraFixture;

TEST_F(ImportCamerasTest, UsesOnlyTheNodesOwnMatrixAndKeepsTheLookAtLength) {
    SceneBuilder builder;
    aiNode* root = builder.node("root", nullptr, translation(7.0f, 0.0f, 0.0f));
    // The parent's quarter turn about z and translation must be ignored.
    aiNode* parent =
        builder.node("rig", root, aiMatrix4x4(0, -1, 0, 100, 1, 0, 0, 50, 0, 0, 1, 0, 0, 0, 0, 1));
    // Own matrix: scale 2, a quarter turn about y, then translation (1, 2, 3).
    builder.node("MainCamera", parent,
                 aiMatrix4x4(0, 0, 2, 1, 0, 2, 0, 2, -2, 0, 0, 3, 0, 0, 0, 1));
    builder.node("SideCamera", root, translation(0.0f, 5.0f, 0.0f));
    builder.camera("MainCamera", {0.5f, 0.0f, 0.0f}, {0.0f, 0.0f, -3.0f}, {0.0f, 1.0f, 0.0f});
    builder.camera("SideCamera", {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f});

    std::unique_ptr<CameraSet> set(importCameras(builder.scene(), 1600.0f, 900.0f, kWindow));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->window, kWindow);
    EXPECT_EQ(set->count, 1);
    EXPECT_EQ(set->index, 0);
    EXPECT_DOUBLE_EQ(set->tourTime, 0.0);

    const Camera& main = *set->defaultCamera;
    EXPECT_TRUE(near(main.direction, {-6.0f, 0.0f, 0.0f}));
    EXPECT_NEAR(glm::length(main.direction), 6.0f, 1e-5f);
    EXPECT_TRUE(near(main.up, {0.0f, 2.0f, 0.0f}));
    EXPECT_TRUE(near(main.position, {1.0f, 2.0f, 2.0f}));
    EXPECT_EQ(main.window, kWindow);
    EXPECT_FLOAT_EQ(main.fieldOfView, 45.0f);
    EXPECT_EQ(main.projectionMatrix, glm::perspective(45.0f, 1600.0f / 900.0f, 0.1f, 1000.0f));

    ASSERT_EQ(set->extraCameras.size(), 1u);
    const Camera& side = *set->extraCameras[0];
    EXPECT_TRUE(near(side.position, {1.0f, 6.0f, 1.0f}));
    EXPECT_TRUE(near(side.direction, {0.0f, 0.0f, 1.0f}));
}

TEST_F(ImportCamerasTest, CameraWithoutANodeKeepsItsOwnPose) {
    SceneBuilder builder;
    builder.node("root", nullptr, translation(7.0f, 0.0f, 0.0f));
    builder.camera("Lost", {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, -4.0f}, {0.0f, 1.0f, 0.0f});
    std::unique_ptr<CameraSet> set(importCameras(builder.scene(), 800.0f, 600.0f, kWindow));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->defaultCamera->position, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(set->defaultCamera->direction, glm::vec3(0.0f, 0.0f, -4.0f));
}

TEST_F(ImportCamerasTest, NoSceneOrNoCamerasGivesAViewFromTheOriginDownMinusZ) {
    SceneBuilder empty;
    empty.node("root", nullptr, translation(7.0f, 0.0f, 0.0f));
    for (const aiScene* scene : {empty.scene(), static_cast<const aiScene*>(nullptr)}) {
        std::unique_ptr<CameraSet> set(importCameras(scene, 800.0f, 600.0f, kWindow));
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->count, 0);
        const Camera* camera = set->current();
        ASSERT_NE(camera, nullptr);
        EXPECT_EQ(camera->position, glm::vec3(0.0f));
        EXPECT_EQ(camera->direction, glm::vec3(0.0f, 0.0f, -1.0f));
        EXPECT_EQ(camera->up, glm::vec3(0.0f, 1.0f, 0.0f));
        EXPECT_EQ(camera->window, kWindow);
        EXPECT_EQ(camera->projectionMatrix, glm::perspective(45.0f, 800.0f / 600.0f, 0.1f,
                                                             1000.0f));
    }
}

} // namespace
