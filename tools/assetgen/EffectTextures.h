#pragma once
// Textures of the effects: the animated flame sheet and the smoke puff of
// the campfire's particles, and the pair of ripple maps the water and the
// heat haze distort with.

#include <cstdint>

#include "Image.h"

namespace assetgen {

// Sixteen frames of a flickering flame tongue in a 4 x 4 sheet, frame 0 at
// the top left, read left to right and top to bottom; the last frame leads
// back into the first.
Image paintFireSheet(int frameSize, std::uint32_t seed);

Image paintSmokePuff(int size, std::uint32_t seed);

struct WaterMaps {
    Image distortion; // du, dv slopes in red and green, 0.5 meaning none
    Image normals;    // tangent-space normals of the same ripples
};
WaterMaps paintWaterMaps(int size, std::uint32_t seed);

} // namespace assetgen
