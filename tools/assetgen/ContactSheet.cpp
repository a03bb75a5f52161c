#include "ContactSheet.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "ImageFile.h"
#include "SceneTextures.h"
#include "SkyLookup.h"

namespace assetgen {

namespace {

using glm::vec3;
using glm::vec4;

// Cut-out texels are shown over a slate grey, so their alpha reads as shape.
const vec3 kBackdrop(0.20f, 0.22f, 0.26f);

vec4 over(vec4 texel, vec3 backdrop) { return vec4(vec3(texel) * texel.a + backdrop * (1.0f - texel.a), 1.0f); }

void place(Image& sheet, const Image& picture, int left, int bottom, int width, int height, vec3 backdrop) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float sx = (x + 0.5f) / width * picture.width();
            const float sy = (y + 0.5f) / height * picture.height();
            // Box-filter the texels this pixel covers, so fine detail is not aliased.
            const int x0 = static_cast<int>(sx - 0.5f * picture.width() / width);
            const int y0 = static_cast<int>(sy - 0.5f * picture.height() / height);
            const int span = std::max(1, (picture.width() + width - 1) / width);
            vec4 sum(0.0f);
            for (int j = 0; j < span; ++j)
                for (int i = 0; i < span; ++i)
                    sum += over(picture.at(std::clamp(x0 + i, 0, picture.width() - 1),
                                           std::clamp(y0 + j, 0, picture.height() - 1)), backdrop);
            sheet.at(left + x, bottom + y) = sum / static_cast<float>(span * span);
        }
    }
}

void placePanorama(Image& sheet, const SkyLookup& sky, int left, int bottom, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const float elevation = ((y + 0.5f) / height - 0.5f) * 3.14159265f;
        for (int x = 0; x < width; ++x) {
            const float azimuth = ((x + 0.5f) / width) * 6.2831853f - 3.14159265f;
            const vec3 d(std::cos(elevation) * std::sin(azimuth), std::sin(elevation), -std::cos(elevation) * std::cos(azimuth));
            sheet.at(left + x, bottom + y) = sky(d);
        }
    }
}

// The cube unfolded around the view to the north (-Z): west of it -X, then
// +X and +Z, with the views up and down above and below it. Each cell is a
// 90-degree view, so stars and the galaxy run on across the cell borders
// exactly when the faces meet without seams.
void placeCross(Image& sheet, const SkyLookup& sky, int left, int bottom, int cell) {
    struct View {
        int column, rowFromTop;
        vec3 forward, right, up;
    };
    const View views[] = {{0, 1, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {1, 1, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
                          {2, 1, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {3, 1, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
                          {1, 0, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {1, 2, {0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
    for (const View& view : views) {
        const int cellLeft = left + view.column * cell;
        const int cellBottom = bottom + (2 - view.rowFromTop) * cell;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const float a = (x + 0.5f) / cell * 2.0f - 1.0f, b = (y + 0.5f) / cell * 2.0f - 1.0f;
                sheet.at(cellLeft + x, cellBottom + y) = sky(view.forward + view.right * a + view.up * b);
            }
        }
    }
}

// The moon and its surroundings at about twice the faces' own resolution.
void placeCloseUp(Image& sheet, const SkyLookup& sky, vec3 centre, int left, int bottom, int size) {
    const vec3 right = glm::normalize(glm::cross(centre, vec3(0, 1, 0)));
    const vec3 up = glm::cross(right, centre);
    const float halfWidth = 0.12f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float a = ((x + 0.5f) / size * 2.0f - 1.0f) * halfWidth, b = ((y + 0.5f) / size * 2.0f - 1.0f) * halfWidth;
            sheet.at(left + x, bottom + y) = sky(centre + right * a + up * b);
        }
}

} // namespace

void writeContactSheet(const RuntimeTree& tree, const std::filesystem::path& file, glm::vec3 moonDirection) {
    constexpr int tile = 256, width = 2048;
    const int height = tile * 2 + tile * 2 + 1024 + 3 * tile;
    Image sheet(width, height, vec4(0.05f, 0.05f, 0.06f, 1.0f));
    int top = height;

    // Scene textures over their normal maps, in one row however many there are.
    const int count = static_cast<int>(sceneTextureCatalogue().size());
    const int thumb = std::min(tile, width / count);
    top -= tile;
    int column = 0;
    for (const SceneTexture* texture : sceneTextureCatalogue()) {
        place(sheet, readImage(tree.sceneTextures() / texture->colourFile()), column * thumb, top, thumb, thumb, kBackdrop);
        place(sheet, readImage(tree.sceneTextures() / texture->normalFile()), column * thumb, top - tile, thumb, thumb, kBackdrop);
        ++column;
    }
    top -= tile;

    // Effect textures: flames over black as they add up on screen, smoke
    // over a night-sky blue.
    top -= 2 * tile;
    place(sheet, readImage(tree.effectTextures() / "fire.png"), 0, top, 2 * tile, 2 * tile, vec3(0.0f));
    place(sheet, readImage(tree.effectTextures() / "smoke.png"), 2 * tile, top, 2 * tile, 2 * tile, vec3(0.03f, 0.05f, 0.10f));
    place(sheet, readImage(tree.effectTextures() / "waterDuDv.png"), 4 * tile, top, 2 * tile, 2 * tile, kBackdrop);
    place(sheet, readImage(tree.effectTextures() / "waterNormal.png"), 6 * tile, top, 2 * tile, 2 * tile, kBackdrop);

    const SkyLookup sky(tree);
    top -= 1024;
    placePanorama(sheet, sky, 0, top, width, 1024);
    top -= 3 * tile;
    placeCross(sheet, sky, 0, top, tile);
    placeCloseUp(sheet, sky, moonDirection, 4 * tile + 64, top, 3 * tile);

    writePng(sheet, file, PngChannels::Rgb);
}

} // namespace assetgen
