#include "Assets.h"

#include <filesystem>
#include <memory>

#include "ClearingScene.h"
#include "ColladaFile.h"
#include "EffectTextures.h"
#include "Icon.h"
#include "ImageFile.h"
#include "NightSky.h"
#include "OggVorbisFile.h"
#include "Sounds.h"
#include "SceneTextures.h"
#include "effects/SkyDirections.h"

namespace assetgen {

std::vector<Job> assetJobs(const RuntimeTree& tree) {
    std::vector<Job> jobs;
    jobs.push_back({"music", [tree] {
                        audio::writeOggVorbis(audio::nightMusic(0x4002), 2, tree.sounds() / "music.ogg", 0.4f, 0x4D55);
                    }});
    jobs.push_back({"crackling", [tree] {
                        audio::writeOggVorbis(audio::crackling(15.0f, 0x4001), 1, tree.sounds() / "crackling.ogg", 0.5f, 0x4352);
                    }});
    jobs.push_back({"scene", [tree] { writeCollada(buildClearingScene(), tree.sceneFile()); }});
    // The sky faces are the largest pictures; start them first so the
    // threads finish together.
    auto sky = std::make_shared<const NightSky>(kSkySeed);
    for (int face = 0; face < 6; ++face) {
        jobs.push_back({"sky face", [tree, sky, face] {
                            const std::filesystem::path file = std::filesystem::path(rtr::sky::kFaceFiles[face]).filename();
                            writePng(sky->paintFace(face, 1024), tree.skyFaces() / file, PngChannels::Rgb);
                        }});
    }
    for (const SceneTexture* texture : sceneTextureCatalogue())
        jobs.push_back({texture->stem, [tree, texture] { writeSceneTexture(*texture, tree.sceneTextures()); }});
    jobs.push_back({"fire", [tree] {
                        writePng(paintFireSheet(256, 0x2001), tree.effectTextures() / "fire.png", PngChannels::Rgba);
                    }});
    jobs.push_back({"smoke", [tree] {
                        writePng(paintSmokePuff(256, 0x2002), tree.effectTextures() / "smoke.png", PngChannels::Rgba);
                    }});
    jobs.push_back({"water", [tree] {
                        const WaterMaps maps = paintWaterMaps(512, 0x2003);
                        writePng(maps.distortion, tree.effectTextures() / "waterDuDv.png", PngChannels::Rgb);
                        writePng(maps.normals, tree.effectTextures() / "waterNormal.png", PngChannels::Rgb);
                    }});
    jobs.push_back({"icon", [tree] { writePng(paintIcon(256), tree.icon(), PngChannels::Rgba); }});
    return jobs;
}

} // namespace assetgen
