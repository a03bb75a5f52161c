// Building the scene at start-up: the generated scene with its lights in the
// order the keys rely on and the fire where the fire pit is; every texture
// it names; and scenes that lack a water, a fire, cameras, or the file.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/SceneAssembly.h"
#include "effects/Campfire.h"
#include "render/Level.h"
#include "render/PointLight.h"
#include "scene/AssimpLoader.h"
#include "scene/ImportObject.h"
#include "support/ChildProcess.h"
#include "support/DemoHarness.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The fire pit's bounding-box centre in the generated scene.
const glm::vec3 kFirePitCentre(-0.3181f, 3.0945f, 31.6771f);

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

std::string writeSmallScene(const std::filesystem::path& folder, bool withFire) {
    SceneBuilder b;
    const unsigned m = b.material({.name = "grass", .diffuse = aiColor4D(0.3f, 0.5f, 0.2f, 1.0f)});
    NodeSpec root{"root", {}, {}, {{"ground", {b.square(m, 10.0f)}, {-5, 0, -5}}}};
    if (withFire)
        root.children.push_back({"fireRing", {b.square(m, 2.0f)}, {3, 1, 2}});
    b.root(root);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "small.dae").string();
    EXPECT_TRUE(b.exportCollada(path));
    return path;
}

} // namespace

TEST(SceneAssembly, GeneratedSceneHasFourLightsInOrderAndTheFireAtThePit) {
    DemoHarness demo(160, 90);
    ASSERT_TRUE(demo.ok());
    const auto fires = level->getSecondaryObjects();
    ASSERT_FALSE(fires.empty());
    expectNear(fires.front()->mesh->getCenter(), kFirePitCentre);

    const auto lights = level->lights();
    ASSERT_EQ(lights.size(), 4u);
    // The campfire's light 4 above the fire, which sits 0.05, 0.1, 0.1 off the centre.
    EXPECT_EQ(lights[0], campfire->light.get());
    expectNear(lights[0]->position, kFirePitCentre + glm::vec3(0.05f, 0.1f + 4.0f, 0.1f));
    EXPECT_EQ(lights[0]->colour, glm::vec3(0.75f, 0.15f, 0.0f));
    EXPECT_EQ(lights[1]->position, glm::vec3(0, 80, 0));
    EXPECT_EQ(lights[2]->position, glm::vec3(0, 0, -80));
    EXPECT_EQ(lights[3]->position, glm::vec3(0, 4, 70));
    EXPECT_EQ(lights[1]->colour, glm::vec3(0.184f, 0.255f, 0.349f));
    EXPECT_EQ(lights[2]->colour, lights[1]->colour * 0.5f);
    EXPECT_EQ(lights[3]->colour, lights[1]->colour * 0.5f);
    EXPECT_EQ(lights[1]->intensity, 1000.0f);
    EXPECT_EQ(lights[2]->intensity, 100.0f);
    EXPECT_EQ(lights[3]->intensity, 50.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lights[i]->lightIndex, i + 2);
    EXPECT_EQ(lights[1], skyLight);
    EXPECT_EQ(lights[3], frontLight);

    EXPECT_GE(cameras->count, 4) << "the tour uses five cameras";
    EXPECT_EQ(level->shadowsEnabled, 1);
    EXPECT_NE(normalMappingLocation, -1);
    EXPECT_NE(shadowMappingLocation, -1);
    EXPECT_FALSE(level->getWaterObjects().empty());
}

TEST(SceneAssembly, EveryTextureOfTheGeneratedSceneHasAnImage) {
    DemoHarness demo(160, 90);
    ASSERT_TRUE(demo.ok());
    const AssimpLoader& loader = sceneLoader();
    EXPECT_FALSE(loader.diffuseTextures.empty());
    EXPECT_FALSE(loader.normalTextures.empty());
    for (const auto* table : {&loader.diffuseTextures, &loader.normalTextures})
        for (const auto& [path, name] : *table) {
            GLint width = 0;
            glBindTexture(GL_TEXTURE_2D, name);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            EXPECT_GE(width, 512) << path;
        }
}

TEST(SceneAssembly, ASceneWithoutWaterFireOrCamerasStillRuns) {
    const auto folder = std::filesystem::temp_directory_path() / ("thalvek-small-" + std::to_string(::getpid()));
    ScratchRuntimeTree tree(writeSmallScene(folder, false));
    DemoHarness demo(64, 36);
    ASSERT_TRUE(demo.ok());
    EXPECT_TRUE(level->getWaterObjects().empty());
    EXPECT_EQ(level->lights()[0]->position, glm::vec3(0, 4, 0)) << "no fire object: the fire is at the origin";
    EXPECT_EQ(cameras->count, 0);
    EXPECT_EQ(cameras->current()->position, glm::vec3(0.0f));
    while (glGetError() != GL_NO_ERROR) {
    }
    demo.advance(2, 1.0 / 30.0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::filesystem::remove_all(folder);
}

TEST(SceneAssembly, TheFireSitsOffTheCentreOfTheFirstFireObject) {
    const auto folder = std::filesystem::temp_directory_path() / ("thalvek-fire-" + std::to_string(::getpid()));
    ScratchRuntimeTree tree(writeSmallScene(folder, true));
    DemoHarness demo(64, 36);
    ASSERT_TRUE(demo.ok());
    // The 2 x 2 square at (3, 1, 2) has its centre at (4, 2, 2).
    expectNear(level->lights()[0]->position, glm::vec3(4.05f, 6.1f, 2.1f), 1e-5f);
    std::filesystem::remove_all(folder);
}

TEST(SceneAssembly, AMissingSceneFileIsFatal) {
    const auto result = runInChild([] {
        ScratchRuntimeTree tree("");
        DemoHarness demo(64, 36);
        _exit(0); // not reached: the assembly must end the process
    });
    ASSERT_TRUE(result.exited) << "crashed or hung";
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.out, "Couldn't open file\n../Data/ThalvekF.dae: No such file or directory\n");
}
