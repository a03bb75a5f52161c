#pragma once
// Where each texel of the night-sky cube map looks in the world.
//
// The sky shader samples its cube map with the world direction mirrored in y,
// vec3(d.x, -d.y, d.z): that puts the "up" image (uploaded to -Y) over the
// viewer's head and the "down" image (uploaded to +Y) below the horizon, so
// the file names say what they show. The images reach GL bottom-up, as
// FreeImage stores them, so texel row t = 0 is FreeImage scanline 0.
//
// skyDirection() is the exact inverse of that lookup. The asset generator
// paints every texel from the direction returned here, and the sky tests use
// it, so the faces meet without seams and the horizon is level.

#include <glm/vec3.hpp>

namespace rtr::sky {

// Cube-map face order of the loader: +X, -X, +Y, -Y, +Z, -Z.
inline constexpr const char* kFaceFiles[6] = {
    "../Textures/skybox/nightsky_west.png",  "../Textures/skybox/nightsky_east.png",
    "../Textures/skybox/nightsky_down.png",  "../Textures/skybox/nightsky_up.png",
    "../Textures/skybox/nightsky_south.png", "../Textures/skybox/nightsky_north.png"};

// World direction (not normalised; its largest component is +-1) seen through
// face `face` at texture coordinates (s, t) in [0, 1]; t = 0 is FreeImage
// scanline 0 (the bottom row of the image file).
inline glm::vec3 skyDirection(int face, float s, float t) {
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    switch (face) {
    case 0: return {1.0f, tc, -sc};   // west
    case 1: return {-1.0f, tc, sc};   // east
    case 2: return {sc, -1.0f, tc};   // down
    case 3: return {sc, 1.0f, -tc};   // up
    case 4: return {sc, tc, 1.0f};    // south
    default: return {-sc, tc, -1.0f}; // north
    }
}

} // namespace rtr::sky
