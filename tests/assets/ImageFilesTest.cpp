// The generated pictures decode with FreeImage into the channels their
// readers expect: colour JPEGs and 24-bit normal maps for the scene, alpha
// where things are cut out or blended, a distortion map centred on 0.5 that
// matches its normal map, six sky faces that meet without seams, and the
// desktop icon.

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include <glm/geometric.hpp>

#include "effects/SkyDirections.h"

namespace {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

Bitmap load(const std::string& path) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN) return nullptr;
    return Bitmap(FreeImage_Load(format, path.c_str(), 0));
}

struct Texel {
    int r, g, b, a;
};

// Reads texel (x, y), y counted from the bottom row as FreeImage stores it.
Texel texel(FIBITMAP* bitmap, int x, int y) {
    const BYTE* row = FreeImage_GetScanLine(bitmap, y);
    const unsigned bytes = FreeImage_GetBPP(bitmap) / 8;
    const BYTE* p = row + x * bytes;
    return {p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE], bytes == 4 ? p[FI_RGBA_ALPHA] : 255};
}

int width(FIBITMAP* b) { return static_cast<int>(FreeImage_GetWidth(b)); }
int height(FIBITMAP* b) { return static_cast<int>(FreeImage_GetHeight(b)); }

class ImageFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FreeImage_Initialise(FALSE); }
    static void TearDownTestSuite() { FreeImage_DeInitialise(); }
};

std::string fileName(const aiString& path) {
    const std::string text = path.C_Str();
    return text.substr(text.find_last_of('/') + 1);
}

TEST_F(ImageFiles, SceneTexturesHaveTheChannelsTheirSlotsNeed) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile("../Data/ThalvekF.dae", aiProcessPreset_TargetRealtime_Quality);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();

    // Materials of blended nodes need alpha; the others are plain colour.
    std::set<unsigned> blended;
    std::function<void(const aiNode*)> collect = [&](const aiNode* node) {
        if (std::string(node->mName.C_Str()).rfind("transparent", 0) == 0)
            for (unsigned m = 0; m < node->mNumMeshes; ++m) blended.insert(scene->mMeshes[node->mMeshes[m]]->mMaterialIndex);
        for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i]);
    };
    collect(scene->mRootNode);
    ASSERT_FALSE(blended.empty());

    int normalMaps = 0;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        aiString path;
        if (aiGetMaterialTexture(scene->mMaterials[i], aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) continue;
        const std::string file = fileName(path);
        const Bitmap colour = load("../Textures/new/" + file);
        ASSERT_TRUE(colour) << file;
        EXPECT_EQ(width(colour.get()), height(colour.get())) << file;
        EXPECT_TRUE(width(colour.get()) == 512 || width(colour.get()) == 1024) << file;
        if (blended.count(i)) {
            EXPECT_EQ(file.substr(file.size() - 4), ".png") << file;
            ASSERT_EQ(FreeImage_GetBPP(colour.get()), 32u) << file;
            int clear = 0, solid = 0;
            for (int y = 0; y < height(colour.get()); y += 2)
                for (int x = 0; x < width(colour.get()); x += 2) {
                    const int a = texel(colour.get(), x, y).a;
                    clear += a == 0;
                    solid += a == 255;
                }
            EXPECT_GT(clear, 0) << file << " has nothing cut out";
            EXPECT_GT(solid, 0) << file << " has nothing opaque";
        } else {
            EXPECT_EQ(file.substr(file.size() - 4), ".jpg") << file;
            EXPECT_EQ(FreeImage_GetFileType(("../Textures/new/" + file).c_str(), 0), FIF_JPEG) << file;
            EXPECT_EQ(FreeImage_GetBPP(colour.get()), 24u) << file;
        }

        // Every textured material carries a normal map, three channels,
        // pointing out of the surface on average.
        ASSERT_EQ(aiGetMaterialTexture(scene->mMaterials[i], aiTextureType_NORMALS, 0, &path), AI_SUCCESS) << file;
        const std::string normalFile = fileName(path);
        const Bitmap normals = load("../Textures/new/" + normalFile);
        ASSERT_TRUE(normals) << normalFile;
        EXPECT_EQ(FreeImage_GetFileType(("../Textures/new/" + normalFile).c_str(), 0), FIF_PNG) << normalFile;
        EXPECT_EQ(FreeImage_GetBPP(normals.get()), 24u) << normalFile;
        double blue = 0.0;
        int count = 0;
        for (int y = 0; y < height(normals.get()); y += 4)
            for (int x = 0; x < width(normals.get()); x += 4, ++count) blue += texel(normals.get(), x, y).b;
        EXPECT_GT(blue / count, 200.0) << normalFile;
        ++normalMaps;
    }
    EXPECT_GT(normalMaps, 0);
}

TEST_F(ImageFiles, FireSheetIsSixteenSoftFramesOnTransparentBlack) {
    const Bitmap sheet = load("../Textures/fire.png");
    ASSERT_TRUE(sheet);
    ASSERT_EQ(FreeImage_GetBPP(sheet.get()), 32u);
    ASSERT_EQ(width(sheet.get()), height(sheet.get()));
    ASSERT_EQ(width(sheet.get()) % 4, 0);
    const int frame = width(sheet.get()) / 4;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const int x0 = column * frame, y0 = row * frame;
            int opaque = 0, soft = 0;
            for (int y = 0; y < frame; ++y)
                for (int x = 0; x < frame; ++x) {
                    const Texel t = texel(sheet.get(), x0 + x, y0 + y);
                    if (x == 0 || y == 0 || x == frame - 1 || y == frame - 1) {
                        // Clear borders keep filtering from bleeding between frames.
                        ASSERT_EQ(t.a, 0) << "frame border at " << x0 + x << "," << y0 + y;
                        ASSERT_EQ(t.r + t.g + t.b, 0);
                    }
                    opaque += t.a > 200;
                    soft += t.a > 10 && t.a < 200;
                }
            EXPECT_GT(opaque, frame * frame / 100) << "frame " << row << "," << column;
            EXPECT_GT(soft, frame * frame / 100) << "frame " << row << "," << column << " has hard edges";
        }
    }
}

TEST_F(ImageFiles, SmokePuffFadesToNothingAtItsEdges) {
    const Bitmap puff = load("../Textures/smoke.png");
    ASSERT_TRUE(puff);
    ASSERT_EQ(FreeImage_GetBPP(puff.get()), 32u);
    const int w = width(puff.get()), h = height(puff.get());
    int peak = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Texel t = texel(puff.get(), x, y);
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                ASSERT_EQ(t.a, 0) << x << "," << y;
            }
            peak = std::max(peak, t.a);
        }
    EXPECT_GT(peak, 128);
}

// The desktop icon is installed as the theme's 256x256 size, so it must be
// that size; a round badge, transparent outside, with the fire bright in it.
TEST_F(ImageFiles, IconIsA256PixelBadgeWithABrightFire) {
    const Bitmap icon = load("../icons/thalvek.png");
    ASSERT_TRUE(icon);
    ASSERT_EQ(FreeImage_GetBPP(icon.get()), 32u);
    ASSERT_EQ(width(icon.get()), 256);
    ASSERT_EQ(height(icon.get()), 256);
    for (const auto& [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}})
        EXPECT_EQ(texel(icon.get(), x, y).a, 0) << "corner " << x << "," << y;
    EXPECT_EQ(texel(icon.get(), 128, 128).a, 255);
    int fire = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const Texel t = texel(icon.get(), x, y);
            fire += t.a == 255 && t.r > 220 && t.r > t.b + 120;
        }
    EXPECT_GT(fire, 256 * 256 / 20);
}

TEST_F(ImageFiles, WaterMapsComeFromOneHeightFieldWithDistortionCentredOnHalf) {
    const Bitmap dudv = load("../Textures/waterDuDv.png");
    const Bitmap normals = load("../Textures/waterNormal.png");
    ASSERT_TRUE(dudv);
    ASSERT_TRUE(normals);
    ASSERT_EQ(width(dudv.get()), width(normals.get()));
    ASSERT_EQ(height(dudv.get()), height(normals.get()));
    double sumU = 0, sumV = 0, sumUU = 0, sumNN = 0, sumUN = 0, sumN = 0;
    int count = 0;
    for (int y = 0; y < height(dudv.get()); ++y)
        for (int x = 0; x < width(dudv.get()); ++x, ++count) {
            const Texel d = texel(dudv.get(), x, y), n = texel(normals.get(), x, y);
            sumU += d.r;
            sumV += d.g;
            sumUU += double(d.r) * d.r;
            sumNN += double(n.r) * n.r;
            sumUN += double(d.r) * n.r;
            sumN += n.r;
        }
    EXPECT_NEAR(sumU / count, 127.5, 3.0);
    EXPECT_NEAR(sumV / count, 127.5, 3.0);
    const double varianceU = sumUU / count - (sumU / count) * (sumU / count);
    const double varianceN = sumNN / count - (sumN / count) * (sumN / count);
    EXPECT_GT(varianceU, 4.0) << "the distortion map is flat";
    // A slope up along u tilts the normal towards -u: the two red channels
    // move against each other.
    const double correlation = (sumUN / count - (sumU / count) * (sumN / count)) / std::sqrt(varianceU * varianceN);
    EXPECT_LT(correlation, -0.9);
}

// Which face a direction falls on, and where, using only skyDirection():
// each face is the plane one unit out along its centre direction.
struct FacePoint {
    int face;
    float s, t;
};

FacePoint locate(glm::vec3 d) {
    int best = 0;
    float bestDot = -1e9f;
    for (int f = 0; f < 6; ++f) {
        const float dot = glm::dot(d, rtr::sky::skyDirection(f, 0.5f, 0.5f));
        if (dot > bestDot) {
            bestDot = dot;
            best = f;
        }
    }
    const glm::vec3 centre = rtr::sky::skyDirection(best, 0.5f, 0.5f);
    const glm::vec3 sAxis = rtr::sky::skyDirection(best, 1.0f, 0.5f) - centre;
    const glm::vec3 tAxis = rtr::sky::skyDirection(best, 0.5f, 1.0f) - centre;
    const glm::vec3 onPlane = d / glm::dot(d, centre);
    return {best, 0.5f + 0.5f * glm::dot(onPlane - centre, sAxis), 0.5f + 0.5f * glm::dot(onPlane - centre, tAxis)};
}

TEST_F(ImageFiles, SkyFacesMeetWithoutSeams) {
    std::array<Bitmap, 6> faces;
    for (int f = 0; f < 6; ++f) {
        faces[f] = load(rtr::sky::kFaceFiles[f]);
        ASSERT_TRUE(faces[f]) << rtr::sky::kFaceFiles[f];
        EXPECT_EQ(FreeImage_GetBPP(faces[f].get()), 24u) << rtr::sky::kFaceFiles[f];
        ASSERT_EQ(width(faces[f].get()), height(faces[f].get()));
        ASSERT_GE(width(faces[f].get()), 1024);
        ASSERT_EQ(width(faces[f].get()), width(faces[0].get()));
    }
    const int n = width(faces[0].get());
    auto difference = [](Texel a, Texel b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); };

    for (int f = 0; f < 6; ++f) {
        // Edge k: texels along one border; `inward` steps one texel into the face.
        for (int edge = 0; edge < 4; ++edge) {
            double across = 0.0, within = 0.0;
            for (int i = 0; i < n; ++i) {
                int x, y, ix, iy;
                float s, t;
                const float along = (i + 0.5f) / n, outside = -0.5f / n;
                switch (edge) {
                case 0: x = i, y = 0, ix = i, iy = 1, s = along, t = outside; break;
                case 1: x = i, y = n - 1, ix = i, iy = n - 2, s = along, t = 1.0f - outside; break;
                case 2: x = 0, y = i, ix = 1, iy = i, s = outside, t = along; break;
                default: x = n - 1, y = i, ix = n - 2, iy = i, s = 1.0f - outside, t = along; break;
                }
                // The texel just across the edge, on whichever face it lies.
                const FacePoint beyond = locate(rtr::sky::skyDirection(f, s, t));
                ASSERT_NE(beyond.face, f);
                const int bx = std::clamp(static_cast<int>(beyond.s * n), 0, n - 1);
                const int by = std::clamp(static_cast<int>(beyond.t * n), 0, n - 1);
                const Texel here = texel(faces[f].get(), x, y);
                across += difference(here, texel(faces[beyond.face].get(), bx, by));
                within += difference(here, texel(faces[f].get(), ix, iy));
            }
            // Across the edge the sky changes no more than from one texel to
            // the next inside the face.
            EXPECT_LE(across / n, 1.5 * within / n + 1.0) << rtr::sky::kFaceFiles[f] << " edge " << edge;
        }
    }
}

} // namespace
