#include "CameraPreview.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "ImageFile.h"
#include "Layout.h"
#include "Rasterizer.h"
#include "SkyLookup.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using glm::vec4;

constexpr int kWidth = 800, kHeight = 450;

struct Pose {
    vec3 position, direction, up;
};

// What the program does with a scene camera: the node's own matrix turns
// the camera's look-at and up vectors and moves its position.
Pose importedPose(const aiScene* scene, unsigned index) {
    const aiCamera* camera = scene->mCameras[index];
    const aiNode* node = scene->mRootNode->FindNode(camera->mName);
    if (!node) throw std::runtime_error(std::string("no node for camera ") + camera->mName.C_Str());
    const aiMatrix4x4& m = node->mTransformation;
    const aiMatrix3x3 rotation(m);
    const aiVector3D direction = rotation * camera->mLookAt, up = rotation * camera->mUp, position = m * camera->mPosition;
    return {{position.x, position.y, position.z}, {direction.x, direction.y, direction.z}, {up.x, up.y, up.z}};
}

class PreviewScene {
public:
    PreviewScene(const RuntimeTree& tree, vec3 moonDirection) : sky(tree), moon(moonDirection) {
        scene = importer.ReadFile(tree.sceneFile().string(), aiProcessPreset_TargetRealtime_Quality);
        if (!scene) throw std::runtime_error(std::string("preview could not import the scene: ") + importer.GetErrorString());
        for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
            aiString path;
            if (aiGetMaterialTexture(scene->mMaterials[i], aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) continue;
            std::string file = path.C_Str();
            file = file.substr(file.find_last_of('/') + 1);
            if (!textures.count(file)) textures[file] = readImage(tree.sceneTextures() / file);
            materialTexture[i] = &textures[file];
            aiColor4D emissive;
            if (aiGetMaterialColor(scene->mMaterials[i], AI_MATKEY_COLOR_EMISSIVE, &emissive) == AI_SUCCESS)
                materialGlow[i] = vec3(emissive.r, emissive.g, emissive.b);
        }
    }

    const aiScene* imported() const { return scene; }

    // Renders the view; `openSky` receives the share of the picture where
    // the sky shows.
    Image render(const Pose& pose, float& openSky) const {
        const float aspect = static_cast<float>(kWidth) / kHeight;
        const glm::mat4 projection = glm::perspective(45.0f, aspect, 0.1f, 1000.0f);
        const glm::mat4 view = glm::lookAt(pose.position, pose.position + pose.direction, pose.up);
        // The water's reflection: the scene mirrored in the water's plane,
        // above the water only.
        const glm::mat4 mirror = glm::scale(glm::translate(glm::mat4(1.0f), vec3(0.0f, 2.0f * layout::kWaterLevel, 0.0f)),
                                            vec3(1.0f, -1.0f, 1.0f));
        Rasterizer reflection(kWidth, kHeight);
        drawScene(reflection, projection * view * mirror, false, true);
        paintSky(reflection, projection * view * mirror);
        addFlames(reflection, projection * view * mirror);

        Rasterizer frame(kWidth, kHeight);
        drawScene(frame, projection * view, true, false);
        paintSky(frame, projection * view);
        addFlames(frame, projection * view);

        Image image(kWidth, kHeight);
        int skyPixels = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) skyPixels += frame.covered(x, y) ? 0 : 1;
        openSky = static_cast<float>(skyPixels) / (kWidth * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                vec3 c = frame.colour(x, y);
                if (c.r < 0.0f) c = vec3(0.02f, 0.035f, 0.05f) + 0.75f * reflection.colour(x, y); // water marker
                image.at(x, kHeight - 1 - y) = vec4(glm::clamp(c, 0.0f, 1.0f), 1.0f);
            }
        return image;
    }

private:
    vec3 light(vec3 albedo, vec3 position, vec3 normal, vec3 glow) const {
        // A rough stand-in for the night lighting: dim blue sky light, the
        // moon, and the orange fire light 4 m above the pit.
        const vec3 n = glm::normalize(normal);
        vec3 lit = vec3(0.10f, 0.12f, 0.17f) * (0.6f + 0.4f * n.y);
        lit += vec3(0.16f, 0.19f, 0.26f) * std::max(glm::dot(n, moon), 0.0f);
        const vec3 toFire = layout::kFlames + vec3(0.0f, 1.0f, 0.0f) - position;
        const float distance = glm::length(toFire);
        lit += vec3(1.0f, 0.45f, 0.12f) * (6.0f / (1.0f + distance * distance)) * std::max(glm::dot(n, toFire / distance), 0.0f);
        return albedo * lit + glow;
    }

    void drawScene(Rasterizer& target, const glm::mat4& viewProjection, bool withWater, bool aboveWaterOnly) const {
        for (unsigned c = 0; c < scene->mRootNode->mNumChildren; ++c) {
            const aiNode* node = scene->mRootNode->mChildren[c];
            const std::string name = node->mName.C_Str();
            const bool water = name.rfind("water", 0) == 0;
            if (water && !withWater) continue;
            const bool cutout = name.rfind("transparent", 0) == 0;
            const aiMatrix4x4& m = node->mTransformation;
            for (unsigned k = 0; k < node->mNumMeshes; ++k) {
                const aiMesh* mesh = scene->mMeshes[node->mMeshes[k]];
                const auto texture = materialTexture.find(mesh->mMaterialIndex);
                const Image* albedo = texture == materialTexture.end() ? nullptr : texture->second;
                const auto glowEntry = materialGlow.find(mesh->mMaterialIndex);
                const vec3 glow = glowEntry == materialGlow.end() ? vec3(0.0f) : glowEntry->second;
                const Rasterizer::Shade shade = [&](const Fragment& f) -> std::optional<vec3> {
                    if (aboveWaterOnly && f.world.y < layout::kWaterLevel - 0.05f) return std::nullopt;
                    if (water) return vec3(-1.0f);
                    vec4 texel(0.6f, 0.6f, 0.6f, 1.0f);
                    if (albedo) texel = albedo->sampleWrapped(f.uv.x * albedo->width(), f.uv.y * albedo->height());
                    if (cutout && texel.a < 0.5f) return std::nullopt;
                    return light(vec3(texel), f.world, f.normal, glow * 0.5f);
                };
                for (unsigned face = 0; face < mesh->mNumFaces; ++face) {
                    vec3 world[3], normal[3];
                    vec2 uv[3];
                    for (int v = 0; v < 3; ++v) {
                        const unsigned i = mesh->mFaces[face].mIndices[v];
                        const aiVector3D p = m * mesh->mVertices[i];
                        const aiVector3D n = aiMatrix3x3(m) * mesh->mNormals[i];
                        world[v] = vec3(p.x, p.y, p.z);
                        normal[v] = vec3(n.x, n.y, n.z);
                        uv[v] = mesh->mTextureCoords[0] ? vec2(mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y) : vec2(0.0f);
                    }
                    target.drawTriangle(viewProjection, world, normal, uv, shade);
                }
            }
        }
    }

    void paintSky(Rasterizer& target, const glm::mat4& viewProjection) const {
        const glm::mat4 inverse = glm::inverse(viewProjection);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (target.covered(x, y)) continue;
                const vec2 ndc((x + 0.5f) / kWidth * 2.0f - 1.0f, 1.0f - (y + 0.5f) / kHeight * 2.0f);
                const vec4 nearPoint = inverse * vec4(ndc, -1.0f, 1.0f), farPoint = inverse * vec4(ndc, 1.0f, 1.0f);
                const vec3 direction = glm::normalize(vec3(farPoint) / farPoint.w - vec3(nearPoint) / nearPoint.w);
                target.colour(x, y) = vec3(sky(direction));
            }
    }

    // The particle flames are not scene geometry; a glowing tongue stands in
    // for them, hidden where geometry is nearer.
    void addFlames(Rasterizer& target, const glm::mat4& viewProjection) const {
        for (int k = 0; k < 24; ++k) {
            const float height = 0.05f * k;
            const vec3 point = layout::kFlames + vec3(0.0f, height, 0.0f);
            const vec4 clip = viewProjection * vec4(point, 1.0f);
            if (clip.w < 0.2f) continue;
            const vec2 centre((clip.x / clip.w * 0.5f + 0.5f) * kWidth, (0.5f - clip.y / clip.w * 0.5f) * kHeight);
            const float radius = std::max(1.0f, (0.35f * (1.0f - height / 1.3f)) / clip.w * kHeight * 1.2f);
            for (int y = static_cast<int>(centre.y - radius); y <= static_cast<int>(centre.y + radius); ++y)
                for (int x = static_cast<int>(centre.x - radius); x <= static_cast<int>(centre.x + radius); ++x) {
                    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
                    if (target.depth(x, y) < clip.w - 0.3f) continue;
                    const float d = glm::length(vec2(x + 0.5f, y + 0.5f) - centre) / radius;
                    if (d >= 1.0f) continue;
                    target.colour(x, y) += vec3(0.30f, 0.14f, 0.03f) * (1.0f - d * d);
                }
        }
    }

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    SkyLookup sky;
    vec3 moon;
    std::map<std::string, Image> textures;
    std::map<unsigned, const Image*> materialTexture;
    std::map<unsigned, vec3> materialGlow;
};

} // namespace

void writeCameraPreviews(const RuntimeTree& tree, const std::filesystem::path& folder, vec3 moonDirection) {
    const PreviewScene preview(tree, moonDirection);
    const aiScene* scene = preview.imported();
    float openSky = 0.0f;
    for (unsigned i = 0; i < scene->mNumCameras; ++i) {
        const Pose start = importedPose(scene, i);
        writePng(preview.render(start, openSky), folder / ("camera" + std::to_string(i) + ".png"), PngChannels::Rgb);
        std::printf("camera %u (%s): sky fills %.0f%% of the view\n", i, scene->mCameras[i]->mName.C_Str(), 100.0f * openSky);
    }
    // Where the tour's dollies end: camera 0 after 9.5 s, camera 3 after
    // 4.25 s, each at ten times its look-at length per second.
    const float dollies[][2] = {{0.0f, 9.5f}, {3.0f, 4.25f}};
    for (const auto& [camera, seconds] : dollies) {
        if (camera >= scene->mNumCameras) continue;
        Pose end = importedPose(scene, static_cast<unsigned>(camera));
        end.position += end.direction * 10.0f * seconds;
        writePng(preview.render(end, openSky), folder / ("camera" + std::to_string(static_cast<int>(camera)) + "_dolly_end.png"),
                 PngChannels::Rgb);
    }
}

} // namespace assetgen
