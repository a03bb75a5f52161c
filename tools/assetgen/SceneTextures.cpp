#include "SceneTextures.h"

#include "ImageFile.h"
#include "Paint.h"

namespace assetgen {

namespace textures {
const SceneTexture forestFloor{"forest_floor", false, paintForestFloor, 1024, 0x1001, 0.45f};
const SceneTexture rock{"granite", false, paintRock, 1024, 0x1002, 0.35f};
const SceneTexture pineBark{"pine_bark", false, paintPineBark, 1024, 0x1003, 0.30f};
const SceneTexture endGrain{"log_end", false, paintEndGrain, 1024, 0x1004, 0.35f};
const SceneTexture charredWood{"charred_log", false, paintCharredWood, 1024, 0x1005, 0.35f};
const SceneTexture needles{"spruce_needles", true, paintNeedleSpray, 1024, 0x1006, 0.35f};
const SceneTexture canvas{"tent_canvas", false, paintCanvas, 1024, 0x1007, 0.6f};
const SceneTexture weatheredWood{"weathered_log", false, paintWeatheredWood, 1024, 0x1008, 0.35f};
const SceneTexture grassTuft{"grass_tuft", true, paintGrassTuft, 512, 0x1009, 0.3f};
} // namespace textures

const std::vector<const SceneTexture*>& sceneTextureCatalogue() {
    static const std::vector<const SceneTexture*> all = {&textures::forestFloor, &textures::rock,
                                                         &textures::pineBark, &textures::endGrain,
                                                         &textures::charredWood, &textures::needles,
                                                         &textures::canvas, &textures::weatheredWood,
                                                         &textures::grassTuft};
    return all;
}

std::string materialPath(const std::string& file) { return "maps/" + file; }

void writeSceneTexture(const SceneTexture& texture, const std::filesystem::path& folder) {
    const SurfaceTexture surface = texture.paint(texture.size, texture.seed);
    if (texture.cutout) writePng(surface.colour, folder / texture.colourFile(), PngChannels::Rgba);
    else writeJpeg(surface.colour, folder / texture.colourFile());
    writePng(paint::normalMapFromHeight(surface.height, texture.normalStrength, surface.tiles),
             folder / texture.normalFile(), PngChannels::Rgb);
}

} // namespace assetgen
