#pragma once
// The painted surfaces of the scene: each painter returns the colour of a
// material together with the relief its normal map is derived from, so the
// two always match.

#include <cstdint>

#include "Image.h"

namespace assetgen {

struct SurfaceTexture {
    Image colour;       // albedo; alpha matters only for cut-out foliage
    ScalarField height; // relief in texel units
    bool tiles = true;  // whether the relief wraps at the borders
};

SurfaceTexture paintForestFloor(int size, std::uint32_t seed);
SurfaceTexture paintRock(int size, std::uint32_t seed);
SurfaceTexture paintPineBark(int size, std::uint32_t seed);
SurfaceTexture paintEndGrain(int size, std::uint32_t seed);
SurfaceTexture paintCharredWood(int size, std::uint32_t seed);
SurfaceTexture paintNeedleSpray(int size, std::uint32_t seed);
SurfaceTexture paintCanvas(int size, std::uint32_t seed);
SurfaceTexture paintWeatheredWood(int size, std::uint32_t seed);
SurfaceTexture paintGrassTuft(int size, std::uint32_t seed);

} // namespace assetgen
