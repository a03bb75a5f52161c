// The scene file imports under the program's own post-processing preset and
// keeps the authoring contract the program relies on: the tour's cameras,
// the water plane, the fire pit's position, blended foliage, a triangle
// budget, and every texture a material names.

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <functional>
#include <string>

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

TEST_F(SceneFile, WaterNodeIsFlatAtHeightZero) {
    const aiNode* water = firstNodeNamed(scene->mRootNode, "water");
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->mTransformation.b4, 0.0f);
    for (unsigned m = 0; m < water->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[water->mMeshes[m]];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D world = water->mTransformation * mesh->mVertices[v];
            ASSERT_NEAR(world.y, 0.0f, 1e-5f);
        }
    }
}

TEST_F(SceneFile, FirstFireNodeIsCentredWhereTheCampfireBurns) {
    const aiNode* fire = firstNodeNamed(scene->mRootNode, "fire");
    ASSERT_NE(fire, nullptr);
    // The program takes the first mesh of the first fire object and centres
    // its bounding box under the node's own local matrix.
    const aiMesh* mesh = scene->mMeshes[fire->mMeshes[0]];
    aiVector3D low(FLT_MAX, FLT_MAX, FLT_MAX), high(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D p = fire->mTransformation * mesh->mVertices[v];
        low = aiVector3D(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = aiVector3D(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    const aiVector3D centre = (low + high) * 0.5f;
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
