#pragma once
// The catalogue of scene textures: which painter makes each one, at what
// size, and the file names the scene's materials refer to. Opaque surfaces
// are JPEG, cut-out foliage is PNG with alpha, every normal map is a 24-bit
// PNG (the scene loader uploads normal maps as three-channel BGR).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "SurfaceTexture.h"

namespace assetgen {

struct SceneTexture {
    std::string stem;
    bool cutout;
    SurfaceTexture (*paint)(int size, std::uint32_t seed);
    int size;
    std::uint32_t seed;
    float normalStrength;

    std::string colourFile() const { return stem + (cutout ? ".png" : ".jpg"); }
    std::string normalFile() const { return stem + "_normal.png"; }
};

namespace textures {
extern const SceneTexture forestFloor;
extern const SceneTexture rock;
extern const SceneTexture pineBark;
extern const SceneTexture endGrain;
extern const SceneTexture charredWood;
extern const SceneTexture needles;
extern const SceneTexture canvas;
extern const SceneTexture weatheredWood;
extern const SceneTexture grassTuft;
} // namespace textures

const std::vector<const SceneTexture*>& sceneTextureCatalogue();

// The path a material names: a folder prefix, as an artist's tool would
// write it; the loader keeps only the part after the last "/".
std::string materialPath(const std::string& file);

void writeSceneTexture(const SceneTexture& texture, const std::filesystem::path& folder);

} // namespace assetgen
