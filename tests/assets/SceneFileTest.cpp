// The scene file imports under the program's own post-processing preset and
// keeps the authoring contract the program relies on: the tour's cameras,
// the water plane, the fire pit's position, blended foliage, a triangle
// budget, and every texture a material names. And what the tour shows
// through the program's own cameras: the flames in view over the ground
// all through it, and the fire pit mirrored in the pool from the pool's
// camera.

#include "app/AppState.h"
#include "app/CameraSet.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kSceneFile = "../Data/ThalvekF.dae";
const char* const kTextureFolder = "../Textures/new/";

bool startsWith(const aiString& name, const char* prefix) {
    return std::string(name.C_Str()).rfind(prefix, 0) == 0;
}

// The first node, depth first and children in order, whose name begins
// with the prefix; the program picks its water and fire objects this way.
const aiNode* firstNodeNamed(const aiNode* node, const char* prefix) {
    if (startsWith(node->mName, prefix) && node->mNumMeshes > 0) return node;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        if (const aiNode* found = firstNodeNamed(node->mChildren[i], prefix)) return found;
    return nullptr;
}

void forEachNode(const aiNode* node, const std::function<void(const aiNode*)>& visit) {
    visit(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i) forEachNode(node->mChildren[i], visit);
}

glm::vec3 toGlm(const aiVector3D& v) { return {v.x, v.y, v.z}; }

// The triangles of every node whose name begins with the prefix, in world
// space (the nodes hang from the root).
std::vector<glm::vec3> trianglesOfNodes(const aiScene* scene, const char* prefix) {
    std::vector<glm::vec3> corners;
    forEachNode(scene->mRootNode, [&](const aiNode* node) {
        if (!startsWith(node->mName, prefix))
            return;
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
            for (unsigned f = 0; f < mesh->mNumFaces; ++f)
                for (unsigned k = 0; k < 3; ++k)
                    corners.push_back(toGlm(node->mTransformation * mesh->mVertices[mesh->mFaces[f].mIndices[k]]));
        }
    });
    return corners;
}

// The height of a triangle list over the point (x, z), if one lies under
// it. Triangles are binned by their extent on a one-metre grid.
class HeightField {
public:
    explicit HeightField(std::vector<glm::vec3> corners) : corners_(std::move(corners)) {
        for (const glm::vec3& c : corners_) {
            low_ = glm::min(low_, glm::vec2(c.x, c.z));
            high_ = glm::max(high_, glm::vec2(c.x, c.z));
        }
        columns_ = static_cast<int>(high_.x - low_.x) + 1;
        cells_.resize(static_cast<std::size_t>(columns_) * (static_cast<int>(high_.y - low_.y) + 1));
        for (std::size_t t = 0; t + 2 < corners_.size(); t += 3) {
            const glm::vec3 a = corners_[t], b = corners_[t + 1], c = corners_[t + 2];
            const glm::ivec2 from = cell(std::min({a.x, b.x, c.x}), std::min({a.z, b.z, c.z}));
            const glm::ivec2 to = cell(std::max({a.x, b.x, c.x}), std::max({a.z, b.z, c.z}));
            for (int j = from.y; j <= to.y; ++j)
                for (int i = from.x; i <= to.x; ++i)
                    cells_[static_cast<std::size_t>(j) * columns_ + i].push_back(t);
        }
    }

    std::optional<float> at(float x, float z) const {
        if (x < low_.x || z < low_.y || x > high_.x || z > high_.y)
            return std::nullopt;
        const glm::ivec2 c = cell(x, z);
        for (std::size_t t : cells_[static_cast<std::size_t>(c.y) * columns_ + c.x]) {
            const glm::vec3 a = corners_[t], b = corners_[t + 1], d = corners_[t + 2];
            const float area = (b.x - a.x) * (d.z - a.z) - (d.x - a.x) * (b.z - a.z);
            if (std::abs(area) < 1e-12f)
                continue;
            const float u = ((x - a.x) * (d.z - a.z) - (d.x - a.x) * (z - a.z)) / area;
            const float v = ((b.x - a.x) * (z - a.z) - (x - a.x) * (b.z - a.z)) / area;
            if (u >= -1e-5f && v >= -1e-5f && u + v <= 1.0f + 1e-5f)
                return a.y + u * (b.y - a.y) + v * (d.y - a.y);
        }
        return std::nullopt;
    }

    // Whether the straight line between two points passes above the
    // surface all the way, in steps of 10 cm.
    bool clearsBetween(const glm::vec3& from, const glm::vec3& to) const {
        const int steps = static_cast<int>(glm::length(to - from) / 0.1f) + 1;
        for (int s = 1; s < steps; ++s) {
            const glm::vec3 p = glm::mix(from, to, static_cast<float>(s) / steps);
            if (const std::optional<float> h = at(p.x, p.z); h && *h >= p.y)
                return false;
        }
        return true;
    }

private:
    glm::ivec2 cell(float x, float z) const {
        return {static_cast<int>(x - low_.x), static_cast<int>(z - low_.y)};
    }

    std::vector<glm::vec3> corners_;
    glm::vec2 low_{FLT_MAX}, high_{-FLT_MAX};
    int columns_ = 0;
    std::vector<std::vector<std::size_t>> cells_;
};

// Where a point lands in a camera's picture, in normalised device
// coordinates; behind the camera is off the picture.
glm::vec2 onPicture(const Camera& camera, const glm::vec3& point) {
    const glm::vec4 clip = camera.getProjectionMatrix() * camera.getViewMatrix() * glm::vec4(point, 1.0f);
    return clip.w > 0.0f ? glm::vec2(clip) / clip.w : glm::vec2(FLT_MAX);
}

bool inView(const Camera& camera, const glm::vec3& point) {
    const glm::vec2 p = onPicture(camera, point);
    return std::abs(p.x) < 1.0f && std::abs(p.y) < 1.0f;
}

class SceneFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        importer = new Assimp::Importer();
        scene = importer->ReadFile(kSceneFile, aiProcessPreset_TargetRealtime_Quality);
    }
    static void TearDownTestSuite() {
        delete importer;
        importer = nullptr;
        scene = nullptr;
    }
    void SetUp() override { ASSERT_NE(scene, nullptr) << importer->GetErrorString(); }

    // The bounding box of the first fire node's first mesh under the node's
    // own matrix; the program puts the campfire at its centre.
    static std::pair<aiVector3D, aiVector3D> fireBounds(const aiNode* fire) {
        const aiMesh* mesh = scene->mMeshes[fire->mMeshes[0]];
        aiVector3D low(FLT_MAX, FLT_MAX, FLT_MAX), high(-FLT_MAX, -FLT_MAX, -FLT_MAX);
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D p = fire->mTransformation * mesh->mVertices[v];
            low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        }
        return {low, high};
    }
    static aiVector3D fireCentre(const aiNode* fire) {
        const auto [low, high] = fireBounds(fire);
        return (low + high) * 0.5f;
    }

    // The tour's cameras as the program imports them, for a 16:9 picture.
    static std::unique_ptr<CameraSet> tourCameras() { return importCameras(scene, 1280.0f, 720.0f, nullptr); }

    static Assimp::Importer* importer;
    static const aiScene* scene;
};

Assimp::Importer* SceneFile::importer = nullptr;
const aiScene* SceneFile::scene = nullptr;

TEST_F(SceneFile, HasAtLeastFiveCamerasEachFoundByNameAsAChildOfTheRoot) {
    ASSERT_GE(scene->mNumCameras, 5u);
    for (unsigned i = 0; i < scene->mNumCameras; ++i) {
        const aiCamera* camera = scene->mCameras[i];
        const aiNode* node = scene->mRootNode->FindNode(camera->mName);
        ASSERT_NE(node, nullptr) << camera->mName.C_Str();
        // The program uses the node's own matrix, so it must not depend on a parent's.
        EXPECT_EQ(node->mParent, scene->mRootNode) << camera->mName.C_Str();
        const aiMatrix3x3 rotation(node->mTransformation);
        EXPECT_GT((rotation * camera->mLookAt).Length(), 0.0f) << camera->mName.C_Str();
    }
}

TEST_F(SceneFile, WaterNodeIsFlatAtTheHeightOfItsOwnMatrix) {
    // The program takes the water's height from the y translation of the
    // node's matrix, for the mirror plane and the clip plane.
    const aiNode* water = firstNodeNamed(scene->mRootNode, "water");
    ASSERT_NE(water, nullptr);
    for (unsigned m = 0; m < water->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[water->mMeshes[m]];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D world = water->mTransformation * mesh->mVertices[v];
            ASSERT_NEAR(world.y, water->mTransformation.b4, 1e-5f);
        }
    }
}

TEST_F(SceneFile, FirstFireNodeIsCentredWhereTheCampfireBurns) {
    const aiNode* fire = firstNodeNamed(scene->mRootNode, "fire");
    ASSERT_NE(fire, nullptr);
    const aiVector3D centre = fireCentre(fire);
    EXPECT_NEAR(centre.x, -0.3181f, 1e-3f);
    EXPECT_NEAR(centre.y, 3.0945f, 1e-3f);
    EXPECT_NEAR(centre.z, 31.6771f, 1e-3f);

    int fireNodes = 0;
    const aiNode* firstInOrder = nullptr;
    forEachNode(scene->mRootNode, [&](const aiNode* node) {
        if (!startsWith(node->mName, "fire")) return;
        if (!firstInOrder) firstInOrder = node;
        ++fireNodes;
    });
    EXPECT_EQ(firstInOrder, fire) << "a fire node without a mesh comes before the pit";
    EXPECT_GE(fireNodes, 1);
}

TEST_F(SceneFile, AllThroughTheTourTheFlamesAreInViewAndNotBehindTheGround) {
    const aiNode* fire = firstNodeNamed(scene->mRootNode, "fire");
    ASSERT_NE(fire, nullptr);
    const glm::vec3 flames = toGlm(fireCentre(fire)) + glm::vec3(0.05f, 0.1f, 0.1f);
    const HeightField ground(trianglesOfNodes(scene, "ground"));
    const std::unique_ptr<CameraSet> cameras = tourCameras();
    orbitAngle = 0.0f;
    std::set<int> shown;
    for (int frame = 1; frame <= 50 * 30; ++frame) {
        cameras->runTour(1.0 / 30.0);
        const Camera& camera = *cameras->current();
        const int k = cameras->index;
        shown.insert(k);
        ASSERT_TRUE(inView(camera, flames)) << "camera " << k << " at " << frame / 30.0 << " s";
        ASSERT_TRUE(ground.clearsBetween(camera.position, flames))
            << "the ground hides the flames from camera " << k << " at " << frame / 30.0 << " s";
        // The shots the tour holds still, across the pool and over the
        // clearing, are no specks: a metre of flame spans at least a
        // twentieth of the picture's height.
        const float metre = onPicture(camera, flames + glm::vec3(0, 1, 0)).y - onPicture(camera, flames).y;
        if (k == 1 || k == 4) {
            ASSERT_GE(metre / 2.0f, 1.0f / 20.0f) << "camera " << k;
        }
    }
    EXPECT_EQ(shown.size(), 5u);
}

TEST_F(SceneFile, ThePoolCameraSeesTheFirePitMirroredInThePool) {
    const aiNode* fire = firstNodeNamed(scene->mRootNode, "fire");
    const aiNode* pool = firstNodeNamed(scene->mRootNode, "water");
    ASSERT_NE(fire, nullptr);
    ASSERT_NE(pool, nullptr);
    const float level = pool->mTransformation.b4;
    const glm::vec3 pit = toGlm(fireCentre(fire));
    const glm::vec3 image(pit.x, 2.0f * level - pit.y, pit.z);
    const glm::vec3 pitTop(pit.x, fireBounds(fire).second.y, pit.z);
    const std::unique_ptr<CameraSet> cameras = tourCameras();
    ASSERT_GE(cameras->count, 4);
    const Camera& camera = *cameras->camera(4);
    ASSERT_GT(camera.position.y, level);
    EXPECT_TRUE(inView(camera, image));

    // Where the line of sight to the image meets the water: on the pool's
    // surface, over ground that lies under water, not on the bank.
    const glm::vec3 wet = glm::mix(camera.position, image, (camera.position.y - level) / (camera.position.y - image.y));
    const HeightField ground(trianglesOfNodes(scene, "ground"));
    const HeightField water(trianglesOfNodes(scene, "water"));
    EXPECT_TRUE(water.at(wet.x, wet.z).has_value()) << wet.x << ", " << wet.z << " is off the pool";
    const std::optional<float> bed = ground.at(wet.x, wet.z);
    ASSERT_TRUE(bed.has_value());
    EXPECT_LT(*bed, level - 0.1f) << "the line of sight meets the water at " << wet.x << ", " << wet.z << " over the bank";
    // Nothing of the ground on either leg: the camera sees that water, and
    // from there the top of the pit is in sight (the pool mirrors what can
    // be seen from below its plane: the ground around the pit cannot).
    EXPECT_TRUE(ground.clearsBetween(camera.position, wet));
    EXPECT_TRUE(ground.clearsBetween(wet, pitTop)) << "the bank hides the pit from the water at " << wet.x << ", " << wet.z;
}

TEST_F(SceneFile, HasBlendedObjectsWithPngDiffuseTextures) {
    int transparent = 0;
    forEachNode(scene->mRootNode, [&](const aiNode* node) {
        if (!startsWith(node->mName, "transparent") || node->mNumMeshes == 0) return;
        ++transparent;
        const aiMaterial* material = scene->mMaterials[scene->mMeshes[node->mMeshes[0]]->mMaterialIndex];
        aiString path;
        ASSERT_EQ(aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &path), AI_SUCCESS) << node->mName.C_Str();
        const std::string file = path.C_Str();
        EXPECT_EQ(file.substr(file.size() - 4), ".png") << node->mName.C_Str();
    });
    EXPECT_GE(transparent, 1);
}

TEST_F(SceneFile, TriangleCountIsWithinBudget) {
    std::size_t triangles = 0;
    forEachNode(scene->mRootNode, [&](const aiNode* node) {
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
            ASSERT_EQ(mesh->mPrimitiveTypes, static_cast<unsigned>(aiPrimitiveType_TRIANGLE)) << node->mName.C_Str();
            triangles += mesh->mNumFaces;
        }
    });
    EXPECT_GE(triangles, 20000u);
    EXPECT_LE(triangles, 150000u);
}

TEST_F(SceneFile, EveryTextureAMaterialNamesIsAnImageInTheTextureFolder) {
    FreeImage_Initialise(FALSE);
    int named = 0;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        for (const aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_NORMALS}) {
            aiString path;
            for (unsigned k = 0; aiGetMaterialTexture(material, type, k, &path) == AI_SUCCESS; ++k) {
                ++named;
                // The loader keeps only what follows the last "/".
                std::string file = path.C_Str();
                file = file.substr(file.find_last_of('/') + 1);
                const std::string full = kTextureFolder + file;
                ASSERT_TRUE(std::filesystem::is_regular_file(full)) << full;
                const std::string extension = file.substr(file.find_last_of('.') + 1);
                EXPECT_TRUE(extension == "jpg" || extension == "png") << file;
                EXPECT_NE(FreeImage_GetFileType(full.c_str(), 0), FIF_UNKNOWN) << full;
            }
        }
    }
    EXPECT_GT(named, 0);
    FreeImage_DeInitialise();
}

} // namespace
