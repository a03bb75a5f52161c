// The ground comes in tiles, so that the frustum and the shadow faces can
// leave parts of it out; drawn, the tiles must give the picture the ground
// gives as one mesh: no seam where they meet, no shadow lost, from every
// camera of the tour.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "assetgen/ClearingScene.h"
#include "assetgen/ColladaFile.h"
#include "assetgen/Terrain.h"
#include "support/DemoHarness.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

bool isGround(const assetgen::SceneNode& node) { return node.name.rfind("ground", 0) == 0; }

// The picture from each camera of the scene written to `file`.
std::vector<Image> picturesOf(const std::filesystem::path& file) {
    ScratchRuntimeTree tree(file.string());
    DemoHarness demo(320, 180);
    std::vector<Image> pictures;
    if (!demo.ok())
        return pictures;
    for (int camera = 0; camera < cameras->count + 1; ++camera) {
        cameras->index = camera;
        demo.render();
        pictures.push_back(demo.readFrame());
    }
    return pictures;
}

} // namespace

TEST(TiledGround, DrawsThePictureOfTheGroundAsOneMesh) {
    const assetgen::SceneModel tiled = assetgen::buildClearingScene();
    assetgen::SceneModel whole = tiled;
    whole.nodes.clear();
    int tiles = 0;
    for (const assetgen::SceneNode& node : tiled.nodes) {
        if (!isGround(node)) {
            whole.nodes.push_back(node);
        } else if (tiles++ == 0) {
            whole.nodes.push_back({"ground", node.material,
                                   assetgen::Terrain().mesh(assetgen::kGroundCells), glm::mat4(1.0f)});
        }
    }
    EXPECT_GE(tiles, 16) << "the ground is not cut into tiles";

    const auto folder = std::filesystem::temp_directory_path() / ("thalvek-tiles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    assetgen::writeCollada(tiled, folder / "tiled.dae");
    assetgen::writeCollada(whole, folder / "whole.dae");
    const std::vector<Image> fromTiles = picturesOf(folder / "tiled.dae");
    const std::vector<Image> fromOneMesh = picturesOf(folder / "whole.dae");
    std::filesystem::remove_all(folder);

    ASSERT_EQ(fromTiles.size(), 5u);
    ASSERT_EQ(fromOneMesh.size(), fromTiles.size());
    const Tolerance tolerance;
    for (std::size_t camera = 0; camera < fromTiles.size(); ++camera) {
        const ImageDifference difference =
            compareImages(fromTiles[camera], fromOneMesh[camera], tolerance.perPixelThreshold);
        EXPECT_LE(difference.differingFraction, tolerance.maxDifferingFraction) << "camera " << camera;
        EXPECT_LE(difference.meanError, tolerance.maxMeanError) << "camera " << camera;
    }
}
