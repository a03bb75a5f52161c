#pragma once
// Small painting toolkit shared by the texture painters: shaping functions,
// anti-aliased tapered strokes on wrapping rasters (blades, needles, twigs)
// and the conversion of a height field into a tangent-space normal map.

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "Image.h"

namespace assetgen::paint {

inline float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

inline glm::vec3 mix(glm::vec3 a, glm::vec3 b, float t) { return a + (b - a) * t; }

// Texel centre of (x, y) in [0, 1) texture space.
inline glm::vec2 texelCentre(int x, int y, int width, int height) {
    return {(static_cast<float>(x) + 0.5f) / static_cast<float>(width),
            (static_cast<float>(y) + 0.5f) / static_cast<float>(height)};
}

// Calls visit(x, y, coverage, along) for every texel touched by the capsule
// from a (radius ra) to b (radius rb), in texel units. `along` runs from 0 at
// a to 1 at b. With wrap set, texels beyond the border come in from the
// opposite side, so strokes on tileable textures cross the seams cleanly.
template <typename Visit>
void stroke(int width, int height, glm::vec2 a, glm::vec2 b, float ra, float rb, bool wrap, Visit&& visit) {
    const float reach = std::max(ra, rb) + 1.0f;
    const int x0 = static_cast<int>(std::floor(std::min(a.x, b.x) - reach));
    const int x1 = static_cast<int>(std::ceil(std::max(a.x, b.x) + reach));
    const int y0 = static_cast<int>(std::floor(std::min(a.y, b.y) - reach));
    const int y1 = static_cast<int>(std::ceil(std::max(a.y, b.y) + reach));
    const glm::vec2 ab = b - a;
    const float lengthSquared = std::max(glm::dot(ab, ab), 1e-6f);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const glm::vec2 p(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            const float t = std::clamp(glm::dot(p - a, ab) / lengthSquared, 0.0f, 1.0f);
            const float distance = glm::length(p - (a + ab * t));
            const float radius = ra + (rb - ra) * t;
            const float coverage = std::clamp(radius - distance + 0.5f, 0.0f, 1.0f);
            if (coverage <= 0.0f) continue;
            int tx = x, ty = y;
            if (wrap) {
                tx = ((x % width) + width) % width;
                ty = ((y % height) + height) % height;
            } else if (x < 0 || y < 0 || x >= width || y >= height) {
                continue;
            }
            visit(tx, ty, coverage, t);
        }
    }
}

// Tangent-space normal map of a tileable height field: red along +u, green
// along +v (texture rows grow upward), blue out of the surface. `strength`
// scales the slopes; heights are in texel units.
Image normalMapFromHeight(const ScalarField& height, float strength, bool wrap = true);

// Box blur, repeated to approach a Gaussian; wraps at the borders.
ScalarField blurred(const ScalarField& field, int radius, int passes = 2);

} // namespace assetgen::paint
