// Mesh without a GL context: the bounding sphere under the node matrix, edge
// adjacency with welding, normals and tangents checked against Assimp's own
// post-processing, degenerate input, and the accessors and setters.

#include "scene/Mesh.h"

#include <assimp/Importer.hpp>
#include <assimp/mesh.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Geometry {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<unsigned> indices;
};

// An aiMesh as the importer would hand it over. Its destructor frees the
// arrays with delete[], so they are allocated with new[].
std::unique_ptr<aiMesh> makeAiMesh(const Geometry& g) {
    auto mesh = std::make_unique<aiMesh>();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = static_cast<unsigned>(g.positions.size() / 3);
    if (mesh->mNumVertices > 0) {
        mesh->mVertices = new aiVector3D[mesh->mNumVertices];
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
            mesh->mVertices[i] =
                aiVector3D(g.positions[3 * i], g.positions[3 * i + 1], g.positions[3 * i + 2]);
        }
    }
    mesh->mNumFaces = static_cast<unsigned>(g.indices.size() / 3);
    if (mesh->mNumFaces > 0) {
        mesh->mFaces = new aiFace[mesh->mNumFaces];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            mesh->mFaces[f].mNumIndices = 3;
            mesh->mFaces[f].mIndices = new unsigned[3]{g.indices[3 * f], g.indices[3 * f + 1],
                                                       g.indices[3 * f + 2]};
        }
    }
    return mesh;
}

std::unique_ptr<Mesh> makeMesh(const Geometry& g, const aiMesh* source = nullptr,
                               const glm::mat4& localMatrix = glm::mat4(1.0f)) {
    return std::make_unique<Mesh>(7u, 9u, g.positions, g.normals, g.uvs, std::vector<float>{},
                                  g.indices, 2.0f, source, localMatrix, "mesh");
}

// The eight corners of the box lo..hi and its twelve outward triangles.
Geometry box(const glm::vec3& lo, const glm::vec3& hi) {
    Geometry g;
    for (int i = 0; i < 8; ++i) {
        g.positions.push_back((i & 1) ? hi.x : lo.x);
        g.positions.push_back((i & 2) ? hi.y : lo.y);
        g.positions.push_back((i & 4) ? hi.z : lo.z);
    }
    g.indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                 2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return g;
}

glm::vec3 vec3At(const float* values, std::size_t i, std::size_t stride = 3) {
    return {values[stride * i], values[stride * i + 1], values[stride * i + 2]};
}

void expectVec3Near(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool allFinite(const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    return true;
}

// --- Bounding sphere -------------------------------------------------------

TEST(MeshBoundingSphere, CubeAroundOriginHasRadiusSqrt3) {
    const auto mesh = makeMesh(box(glm::vec3(-1.0f), glm::vec3(1.0f)));
    expectVec3Near(mesh->getCenter(), glm::vec3(0.0f), 1e-6f);
    EXPECT_NEAR(mesh->getRadius(), std::sqrt(3.0f), 1e-6f);
}

TEST(MeshBoundingSphere, NodeTranslationMovesOnlyTheCentre) {
    const auto mesh = makeMesh(box(glm::vec3(-1.0f), glm::vec3(1.0f)), nullptr,
                               glm::translate(glm::mat4(1.0f), glm::vec3(5.0f, 0.0f, 0.0f)));
    expectVec3Near(mesh->getCenter(), glm::vec3(5.0f, 0.0f, 0.0f), 1e-6f);
    EXPECT_NEAR(mesh->getRadius(), std::sqrt(3.0f), 1e-6f);
}

TEST(MeshBoundingSphere, BoxAwayFromOriginStartsFromItsOwnPoints) {
    // Every coordinate is positive, so extremes seeded with zero would show.
    const auto mesh = makeMesh(box({2.0f, 3.0f, 4.0f}, {6.0f, 5.0f, 10.0f}));
    expectVec3Near(mesh->getCenter(), {4.0f, 4.0f, 7.0f}, 1e-5f);
    EXPECT_NEAR(mesh->getRadius(), 0.5f * std::sqrt(16.0f + 4.0f + 36.0f), 1e-5f);
}

TEST(MeshBoundingSphere, WholeNodeMatrixApplies) {
    // Scale by 2, then a quarter turn about z: the box 0..2 x 0..1 x 0..1
    // becomes -2..0 x 0..4 x 0..2.
    const glm::mat4 local =
        glm::scale(glm::rotate(glm::mat4(1.0f), std::numbers::pi_v<float> / 2.0f, {0, 0, 1}),
                   glm::vec3(2.0f));
    const auto mesh = makeMesh(box({0.0f, 0.0f, 0.0f}, {2.0f, 1.0f, 1.0f}), nullptr, local);
    expectVec3Near(mesh->getCenter(), {-1.0f, 2.0f, 1.0f}, 1e-5f);
    EXPECT_NEAR(mesh->getRadius(), 0.5f * std::sqrt(4.0f + 16.0f + 4.0f), 1e-5f);
}

TEST(MeshBoundingSphere, MeshWithoutVerticesHasEmptySphereAtOrigin) {
    const Geometry empty;
    const auto withoutSource = makeMesh(empty);
    const auto source = makeAiMesh(empty);
    const auto withSource = makeMesh(empty, source.get(),
                                     glm::translate(glm::mat4(1.0f), glm::vec3(3.0f)));
    for (const Mesh* mesh : {withoutSource.get(), withSource.get()}) {
        EXPECT_EQ(mesh->getVertexCount(), 0u);
        EXPECT_EQ(mesh->getFaceCount(), 0u);
        EXPECT_EQ(mesh->getCenter(), glm::vec3(0.0f));
        EXPECT_EQ(mesh->getRadius(), 0.0f);
    }
    // The rebuilds have nothing to do and must not touch anything.
    withSource->buildAdjacency();
    withSource->recomputeNormals();
    withSource->recomputeTangents();
    EXPECT_TRUE(withSource->getEdgeMap().empty());
    EXPECT_TRUE(withSource->getWeldedTriangles().empty());
}

// --- Adjacency and welding ---------------------------------------------------

// Runs the same checks on a mesh with and without its source aiMesh: the
// importer's meshes read faces and positions from the source, meshes made
// without one from their own lists.
template <typename Check>
void withAndWithoutSource(const Geometry& g, Check check) {
    {
        SCOPED_TRACE("no source mesh");
        const auto mesh = makeMesh(g);
        mesh->buildAdjacency();
        check(*mesh);
    }
    {
        SCOPED_TRACE("source aiMesh");
        const auto source = makeAiMesh(g);
        const auto mesh = makeMesh(g, source.get());
        mesh->buildAdjacency();
        check(*mesh);
    }
}

TEST(MeshAdjacency, SharedEdgeGetsBothOppositeCornersBoundaryKeepsMinusOne) {
    Geometry quad;
    quad.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    quad.indices = {0, 1, 2, 0, 2, 3};
    withAndWithoutSource(quad, [](const Mesh& mesh) {
        const std::map<Mesh::EdgeKey, Mesh::EdgeCorners> expected = {
            {{0.0f, 1.0f}, {2, -1}}, {{1.0f, 2.0f}, {0, -1}}, {{0.0f, 2.0f}, {1, 3}},
            {{2.0f, 3.0f}, {0, -1}}, {{0.0f, 3.0f}, {2, -1}},
        };
        EXPECT_EQ(mesh.getEdgeMap(), expected);
        ASSERT_EQ(mesh.getWeldedTriangles().size(), 2u);
        EXPECT_EQ(mesh.getWeldedTriangles()[0], glm::uvec3(0, 1, 2));
        EXPECT_EQ(mesh.getWeldedTriangles()[1], glm::uvec3(0, 2, 3));
    });
}

TEST(MeshAdjacency, ThirdTriangleOnAnEdgeIsDropped) {
    Geometry fan;
    fan.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1};
    fan.indices = {0, 1, 2, 1, 0, 3, 0, 1, 4};
    withAndWithoutSource(fan, [](const Mesh& mesh) {
        EXPECT_EQ(mesh.getEdgeMap().at({0.0f, 1.0f}), Mesh::EdgeCorners(2, 3));
        EXPECT_EQ(mesh.getEdgeMap().at({1.0f, 4.0f}), Mesh::EdgeCorners(0, -1));
    });
}

TEST(MeshAdjacency, EqualPositionsWithDifferentUVsWeldToFirstIndex) {
    // Two triangles that touch along (1,0,0)-(0,1,0) but, as after a UV seam,
    // through their own copies 3 and 4 of those corners.
    Geometry seam;
    seam.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    seam.uvs = {0, 0, 1, 0, 0, 1, 0.5f, 0.5f, 0.25f, 0.75f, 1, 1};
    seam.indices = {0, 1, 2, 3, 5, 4};
    withAndWithoutSource(seam, [](const Mesh& mesh) {
        ASSERT_EQ(mesh.getWeldedTriangles().size(), 2u);
        EXPECT_EQ(mesh.getWeldedTriangles()[0], glm::uvec3(0, 1, 2));
        EXPECT_EQ(mesh.getWeldedTriangles()[1], glm::uvec3(1, 5, 2));

        const Mesh::PositionMap& positions = mesh.getPositionMap();
        EXPECT_EQ(positions.size(), 4u);
        EXPECT_EQ(positions.at({1.0f, 0.0f, 0.0f}), 1u);
        EXPECT_EQ(positions.at({0.0f, 1.0f, 0.0f}), 2u);

        // The welded edge is shared, so it knows both opposite corners.
        EXPECT_EQ(mesh.getEdgeMap().at({1.0f, 2.0f}), Mesh::EdgeCorners(0, 5));
        EXPECT_EQ(mesh.getEdgeMap().count({3.0f, 4.0f}), 0u);
    });
}

TEST(MeshAdjacency, RepeatedBuildGivesTheSameResult) {
    Geometry quad;
    quad.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    quad.indices = {0, 1, 2, 0, 2, 3};
    const auto mesh = makeMesh(quad);
    mesh->buildAdjacency();
    const auto edges = mesh->getEdgeMap();
    const auto triangles = mesh->getWeldedTriangles();
    mesh->buildAdjacency();
    EXPECT_EQ(mesh->getEdgeMap(), edges);
    EXPECT_EQ(mesh->getWeldedTriangles(), triangles);
}

TEST(MeshAdjacency, NaNPositionsDoNotBreakTheWeldOrder) {
    // A corrupt file: NaN coordinates weld to each other and nothing else.
    const float nan = std::nanf("");
    Geometry g;
    g.positions = {nan, 0, 0, 1, 0, 0, 0, 1, 0, nan, 0, 0, 1, 0, 0, 2, 2, 2};
    g.indices = {0, 1, 2, 3, 4, 5};
    const auto mesh = makeMesh(g);
    mesh->buildAdjacency();
    EXPECT_EQ(mesh->getPositionMap().size(), 4u);
    ASSERT_EQ(mesh->getWeldedTriangles().size(), 2u);
    EXPECT_EQ(mesh->getWeldedTriangles()[1], glm::uvec3(0, 1, 5));
}

// --- Normals and tangents against Assimp ------------------------------------

// A smooth curved height field, N x N vertices, written as OBJ text so that
// Assimp's own post-processing can run on it. Mirroring u turns every
// tangent frame left-handed.
std::string curvedGridObj(int n, bool mirrorU) {
    std::ostringstream obj;
    obj.precision(9);
    const auto height = [](float x, float y) {
        return 0.3f * std::sin(2.0f * x) * std::cos(1.5f * y) + 0.1f * x * y;
    };
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const float x = static_cast<float>(i) / static_cast<float>(n - 1);
            const float y = static_cast<float>(j) / static_cast<float>(n - 1);
            obj << "v " << x << ' ' << y << ' ' << height(x, y) << '\n';
        }
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            // Stretched and sheared UVs, so the tangent frames are not just
            // the coordinate axes.
            const float x = static_cast<float>(i) / static_cast<float>(n - 1);
            const float y = static_cast<float>(j) / static_cast<float>(n - 1);
            const float u = 2.0f * x + 0.3f * y;
            obj << "vt " << (mirrorU ? -u : u) << ' ' << y << '\n';
        }
    }
    for (int j = 0; j + 1 < n; ++j) {
        for (int i = 0; i + 1 < n; ++i) {
            const int a = j * n + i + 1;
            const int b = a + 1;
            const int c = a + n + 1;
            const int d = a + n;
            obj << "f " << a << '/' << a << ' ' << b << '/' << b << ' ' << c << '/' << c << '\n';
            obj << "f " << a << '/' << a << ' ' << c << '/' << c << ' ' << d << '/' << d << '\n';
        }
    }
    return obj.str();
}

class MeshRebuildAgainstAssimp : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        const int n = 12;
        const std::string obj = curvedGridObj(n, GetParam());
        scene = importer.ReadFileFromMemory(obj.data(), obj.size(),
                                            aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                                aiProcess_CalcTangentSpace |
                                                aiProcess_JoinIdenticalVertices,
                                            "obj");
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_EQ(scene->mNumMeshes, 1u);
        source = scene->mMeshes[0];
        ASSERT_EQ(source->mNumVertices, static_cast<unsigned>(n * n));
        ASSERT_NE(source->mNormals, nullptr);
        ASSERT_NE(source->mTangents, nullptr);
        ASSERT_NE(source->mBitangents, nullptr);

        // The arrays as the importer fills them, with normals and tangents
        // left zero for the mesh to rebuild.
        Geometry g;
        for (unsigned i = 0; i < source->mNumVertices; ++i) {
            const aiVector3D& p = source->mVertices[i];
            g.positions.insert(g.positions.end(), {p.x, p.y, p.z});
            const aiVector3D& uv = source->mTextureCoords[0][i];
            g.uvs.insert(g.uvs.end(), {uv.x, uv.y});
        }
        for (unsigned f = 0; f < source->mNumFaces; ++f) {
            ASSERT_EQ(source->mFaces[f].mNumIndices, 3u);
            g.indices.insert(g.indices.end(), source->mFaces[f].mIndices,
                             source->mFaces[f].mIndices + 3);
        }
        mesh = makeMesh(g, source);
    }

    glm::vec3 assimpNormal(unsigned i) const {
        const aiVector3D& v = source->mNormals[i];
        return {v.x, v.y, v.z};
    }

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    const aiMesh* source = nullptr;
    std::unique_ptr<Mesh> mesh;
};

TEST_P(MeshRebuildAgainstAssimp, NormalsAgreeWithSmoothNormals) {
    mesh->recomputeNormals();
    for (unsigned i = 0; i < mesh->getVertexCount(); ++i) {
        SCOPED_TRACE("vertex " + std::to_string(i));
        const glm::vec3 ours = vec3At(mesh->getNormals(), i);
        EXPECT_NEAR(glm::length(ours), 1.0f, 1e-5f);
        // Assimp averages unweighted face normals, these weigh faces by area:
        // on this even grid the two differ by far less than a tenth of a
        // degree.
        EXPECT_GT(glm::dot(ours, glm::normalize(assimpNormal(i))), 0.999999f);
    }
}

TEST_P(MeshRebuildAgainstAssimp, TangentsAgreeWithCalcTangentSpace) {
    mesh->recomputeNormals();
    mesh->recomputeTangents();
    const float* tangents = mesh->getTangents();
    for (unsigned i = 0; i < mesh->getVertexCount(); ++i) {
        SCOPED_TRACE("vertex " + std::to_string(i));
        const glm::vec3 n = vec3At(mesh->getNormals(), i);
        const glm::vec3 ours = vec3At(tangents, i, 4);
        const aiVector3D& at = source->mTangents[i];
        const aiVector3D& ab = source->mBitangents[i];
        const glm::vec3 theirs = glm::normalize(glm::vec3(at.x, at.y, at.z));
        const glm::vec3 bitangent(ab.x, ab.y, ab.z);

        EXPECT_NEAR(glm::dot(ours, n), 0.0f, 1e-5f);
        EXPECT_GT(glm::dot(glm::normalize(ours), theirs), 0.99999f);
        const float handedness = glm::dot(glm::cross(n, theirs), bitangent) < 0.0f ? -1.0f : 1.0f;
        EXPECT_EQ(tangents[4 * i + 3], handedness);
        // Both hands really occur in this comparison.
        EXPECT_EQ(handedness, GetParam() ? -1.0f : 1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(UVs, MeshRebuildAgainstAssimp, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "MirroredU" : "PlainU";
                         });

// --- Normals and tangents: exact cases and faults ------------------------------

TEST(MeshNormals, FacesWeighByArea) {
    // Vertex 0 joins a triangle of area 2 facing +z and one of area 1 facing
    // +y: the normal leans twice as far towards z as towards y.
    Geometry g;
    g.positions = {0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1};
    g.indices = {0, 1, 2, 0, 3, 1};
    const auto mesh = makeMesh(g);
    mesh->recomputeNormals();
    expectVec3Near(vec3At(mesh->getNormals(), 0), glm::normalize(glm::vec3(0, 2, 4)), 1e-6f);
    expectVec3Near(vec3At(mesh->getNormals(), 2), {0, 0, 1}, 1e-6f);
    expectVec3Near(vec3At(mesh->getNormals(), 3), {0, 1, 0}, 1e-6f);
}

TEST(MeshNormals, VertexWithoutAreaKeepsItsNormal) {
    // Vertex 3 is in no triangle, vertices 4..6 only in a zero-area one.
    Geometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5, 2, 2, 2, 3, 3, 3, 4, 4, 4};
    g.normals = std::vector<float>(21, 0.0f);
    for (int i = 3; i < 7; ++i) {
        g.normals[3 * i] = 1.0f;
    }
    g.indices = {0, 1, 2, 4, 5, 6};
    const auto mesh = makeMesh(g);
    mesh->recomputeNormals();
    EXPECT_TRUE(allFinite(mesh->getNormals(), 21));
    for (unsigned i = 3; i < 7; ++i) {
        EXPECT_EQ(vec3At(mesh->getNormals(), i), glm::vec3(1, 0, 0)) << "vertex " << i;
    }
    EXPECT_EQ(vec3At(mesh->getNormals(), 0), glm::vec3(0, 0, 1));
}

// A quad in the xy plane, facing +z, with a plain UV map.
Geometry uvQuad() {
    Geometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    g.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    g.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    g.indices = {0, 1, 2, 0, 2, 3};
    return g;
}

TEST(MeshTangents, PlainQuadFollowsU) {
    const auto mesh = makeMesh(uvQuad());
    mesh->recomputeTangents();
    for (unsigned i = 0; i < 4; ++i) {
        expectVec3Near(vec3At(mesh->getTangents(), i, 4), {1, 0, 0}, 1e-6f);
        EXPECT_EQ(mesh->getTangents()[4 * i + 3], 1.0f);
    }
}

TEST(MeshTangents, MadePerpendicularToTheStoredNormalWithoutRescaling) {
    // Normals leaning towards +x, away from the face: the tangent along u
    // loses its part along n, and keeps the shorter length that leaves.
    Geometry g = uvQuad();
    g.normals = {0.6f, 0, 0.8f, 0.6f, 0, 0.8f, 0.6f, 0, 0.8f, 0.6f, 0, 0.8f};
    const auto mesh = makeMesh(g);
    mesh->recomputeTangents();
    for (unsigned i = 0; i < 4; ++i) {
        expectVec3Near(vec3At(mesh->getTangents(), i, 4), {0.64f, 0.0f, -0.48f}, 1e-6f);
        EXPECT_EQ(mesh->getTangents()[4 * i + 3], 1.0f);
    }
}

TEST(MeshTangents, DegenerateUVTriangleLeavesOthersUnchangedAndNoNaN) {
    const auto reference = makeMesh(uvQuad());
    reference->recomputeTangents();

    // The same quad plus a triangle whose UVs are all one point: it shares
    // vertex 2 with the quad and brings two vertices of its own, 4 and 5.
    Geometry g = uvQuad();
    g.positions.insert(g.positions.end(), {2, 1, 0, 2, 2, 0});
    g.normals.insert(g.normals.end(), {0, 0, 1, 0, 0, 1});
    g.uvs = {0, 0, 1, 0, 1, 1, 0, 1, 1, 1, 1, 1};
    g.indices.insert(g.indices.end(), {2, 4, 5});
    const auto mesh = makeMesh(g);
    mesh->recomputeTangents();

    ASSERT_TRUE(allFinite(mesh->getTangents(), 4 * 6));
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned k = 0; k < 4; ++k) {
            EXPECT_EQ(mesh->getTangents()[4 * i + k], reference->getTangents()[4 * i + k])
                << "vertex " << i << " component " << k;
        }
    }
    // With no UV gradient at all, 4 and 5 still get a unit tangent in their
    // surface.
    for (unsigned i = 4; i < 6; ++i) {
        const glm::vec3 t = vec3At(mesh->getTangents(), i, 4);
        EXPECT_NEAR(glm::length(t), 1.0f, 1e-6f) << "vertex " << i;
        EXPECT_NEAR(t.z, 0.0f, 1e-6f) << "vertex " << i;
        EXPECT_EQ(mesh->getTangents()[4 * i + 3], 1.0f);
    }
}

TEST(MeshTangents, VertexWithoutTangentOrNormalStaysFinite) {
    // Vertex 3 is in no triangle; vertex 4 has a zero normal as well.
    Geometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 4, 4, 4, 5, 5, 5};
    g.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0};
    g.uvs = {0, 0, 1, 0, 0, 1, 0, 0, 0, 0};
    g.indices = {0, 1, 2};
    const auto mesh = makeMesh(g);
    mesh->recomputeTangents();
    ASSERT_TRUE(allFinite(mesh->getTangents(), 4 * 5));
    const glm::vec3 t3 = vec3At(mesh->getTangents(), 3, 4);
    EXPECT_NEAR(glm::length(t3), 1.0f, 1e-6f);
    EXPECT_NEAR(t3.y, 0.0f, 1e-6f);
    EXPECT_NEAR(glm::length(vec3At(mesh->getTangents(), 4, 4)), 1.0f, 1e-6f);
}

TEST(MeshRebuilds, TrianglesNamingMissingVerticesAreSkipped) {
    Geometry g = uvQuad();
    g.indices.insert(g.indices.end(), {0, 2, 9});
    const auto mesh = makeMesh(g);
    mesh->buildAdjacency();
    mesh->recomputeNormals();
    mesh->recomputeTangents();
    EXPECT_EQ(mesh->getWeldedTriangles().size(), 2u);
    EXPECT_EQ(mesh->getEdgeMap().at({0.0f, 2.0f}), Mesh::EdgeCorners(1, 3));
    EXPECT_EQ(vec3At(mesh->getNormals(), 0), glm::vec3(0, 0, 1));
    expectVec3Near(vec3At(mesh->getTangents(), 0, 4), {1, 0, 0}, 1e-6f);
}

// --- Construction, accessors and setters -------------------------------------

TEST(MeshAccessors, ReturnWhatTheImporterHandedOver) {
    const Geometry g = uvQuad();
    const std::vector<float> tangents(16, 0.5f);
    Mesh mesh(11u, 12u, g.positions, g.normals, g.uvs, tangents, g.indices, 0.0f, nullptr,
              glm::mat4(1.0f), "groundPlane");
    // A mesh without textures of its own still carries the names current
    // during import, for the draw to bind.
    EXPECT_EQ(mesh.getTexCount(), 0.0f);
    EXPECT_EQ(mesh.getDiffuseTexture(), 11u);
    EXPECT_EQ(mesh.getNormalTexture(), 12u);
    EXPECT_EQ(mesh.getName(), "groundPlane");
    EXPECT_EQ(mesh.getVertexCount(), 4u);
    EXPECT_EQ(mesh.getFaceCount(), 2u);
    EXPECT_EQ(std::vector<float>(mesh.getPositions(), mesh.getPositions() + 12), g.positions);
    EXPECT_EQ(std::vector<float>(mesh.getNormals(), mesh.getNormals() + 12), g.normals);
    EXPECT_EQ(std::vector<float>(mesh.getUVs(), mesh.getUVs() + 8), g.uvs);
    EXPECT_EQ(std::vector<float>(mesh.getTangents(), mesh.getTangents() + 16), tangents);
    EXPECT_EQ(std::vector<unsigned>(mesh.getIndices(), mesh.getIndices() + 6), g.indices);
}

TEST(MeshAccessors, CountsComeFromTheSourceMesh) {
    // The source has three vertices and one face; the arrays hold more.
    Geometry triangle;
    triangle.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    triangle.indices = {0, 1, 2};
    const auto source = makeAiMesh(triangle);
    Geometry g = triangle;
    g.positions.insert(g.positions.end(), {9, 9, 9});
    g.indices.insert(g.indices.end(), {0, 2, 3});
    const auto mesh = makeMesh(g, source.get());
    EXPECT_EQ(mesh->getVertexCount(), 3u);
    EXPECT_EQ(mesh->getFaceCount(), 1u);
    EXPECT_NEAR(mesh->getRadius(), 0.5f * std::sqrt(2.0f), 1e-6f);
}

TEST(MeshAccessors, ShortArraysArePaddedToTheCounts) {
    Geometry g;
    g.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    g.indices = {0, 1, 2};
    const auto mesh = makeMesh(g); // no normals, UVs or tangents given
    EXPECT_EQ(std::vector<float>(mesh->getNormals(), mesh->getNormals() + 9),
              std::vector<float>(9, 0.0f));
    EXPECT_EQ(std::vector<float>(mesh->getUVs(), mesh->getUVs() + 6), std::vector<float>(6, 0.0f));
    mesh->recomputeNormals();
    mesh->recomputeTangents();
    EXPECT_EQ(vec3At(mesh->getNormals(), 1), glm::vec3(0, 0, 1));
    EXPECT_TRUE(allFinite(mesh->getTangents(), 12));
}

TEST(MeshSetters, CopyIntoTheOwnedArraysAndLeaveCountsListsAndSphere) {
    const auto mesh = makeMesh(uvQuad());
    const glm::vec3 centre = mesh->getCenter();
    const float radius = mesh->getRadius();
    float* positionStorage = mesh->getPositions();

    // Moved far away and flipped over: only the upload arrays change.
    std::vector<float> moved = {10, 0, 0, 10, 0, 1, 10, 1, 1, 10, 1, 0};
    mesh->setPositions(moved.data());
    moved[0] = -1.0f; // the mesh holds its own copy
    EXPECT_EQ(mesh->getPositions(), positionStorage);
    EXPECT_EQ(std::vector<float>(mesh->getPositions(), mesh->getPositions() + 12),
              std::vector<float>({10, 0, 0, 10, 0, 1, 10, 1, 1, 10, 1, 0}));

    const std::vector<float> normals(12, 0.25f);
    mesh->setNormals(normals.data());
    EXPECT_EQ(std::vector<float>(mesh->getNormals(), mesh->getNormals() + 12), normals);

    const std::vector<float> uvs = {1, 1, 0, 1, 0, 0, 1, 0};
    mesh->setUVs(uvs.data());
    EXPECT_EQ(std::vector<float>(mesh->getUVs(), mesh->getUVs() + 8), uvs);

    const std::vector<unsigned> reversed = {2, 1, 0, 3, 2, 0};
    mesh->setIndices(reversed.data());
    EXPECT_EQ(std::vector<unsigned>(mesh->getIndices(), mesh->getIndices() + 6), reversed);

    EXPECT_EQ(mesh->getVertexCount(), 4u);
    EXPECT_EQ(mesh->getFaceCount(), 2u);
    EXPECT_EQ(mesh->getCenter(), centre);
    EXPECT_EQ(mesh->getRadius(), radius);

    // The rebuilds still read the lists taken at construction: the quad in
    // the xy plane wound towards +z.
    mesh->recomputeNormals();
    EXPECT_EQ(vec3At(mesh->getNormals(), 0), glm::vec3(0, 0, 1));
    mesh->buildAdjacency();
    EXPECT_EQ(mesh->getWeldedTriangles()[0], glm::uvec3(0, 1, 2));

    mesh->setPositions(nullptr);
    EXPECT_EQ(mesh->getPositions()[0], 10.0f);
}

} // namespace
