#include "Rasterizer.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

constexpr float kNear = 0.1f;

} // namespace

Rasterizer::Rasterizer(int width, int height)
    : w(width), h(height), colours(static_cast<std::size_t>(width) * height, glm::vec3(0.0f)),
      depths(static_cast<std::size_t>(width) * height, kFar) {}

void Rasterizer::drawTriangle(const glm::mat4& viewProjection, const glm::vec3 world[3], const glm::vec3 normal[3],
                              const glm::vec2 uv[3], const Shade& shade) {
    std::vector<Corner> polygon;
    for (int k = 0; k < 3; ++k) polygon.push_back({viewProjection * glm::vec4(world[k], 1.0f), world[k], normal[k], uv[k]});
    // Clip against the near plane (w >= near); attributes are linear in clip space.
    std::vector<Corner> clipped;
    for (std::size_t k = 0; k < polygon.size(); ++k) {
        const Corner& a = polygon[k];
        const Corner& b = polygon[(k + 1) % polygon.size()];
        const bool aIn = a.clip.w >= kNear, bIn = b.clip.w >= kNear;
        if (aIn) clipped.push_back(a);
        if (aIn != bIn) {
            const float t = (kNear - a.clip.w) / (b.clip.w - a.clip.w);
            clipped.push_back({a.clip + (b.clip - a.clip) * t, a.world + (b.world - a.world) * t,
                               a.normal + (b.normal - a.normal) * t, a.uv + (b.uv - a.uv) * t});
        }
    }
    for (std::size_t k = 1; k + 1 < clipped.size(); ++k) rasterise(clipped[0], clipped[k], clipped[k + 1], shade);
}

void Rasterizer::rasterise(const Corner& a, const Corner& b, const Corner& c, const Shade& shade) {
    const Corner* corners[3] = {&a, &b, &c};
    glm::vec2 screen[3];
    float inverseW[3];
    for (int k = 0; k < 3; ++k) {
        const glm::vec4& p = corners[k]->clip;
        inverseW[k] = 1.0f / p.w;
        screen[k] = glm::vec2((p.x * inverseW[k] * 0.5f + 0.5f) * w, (0.5f - p.y * inverseW[k] * 0.5f) * h);
    }
    const float area = (screen[1].x - screen[0].x) * (screen[2].y - screen[0].y) -
                       (screen[2].x - screen[0].x) * (screen[1].y - screen[0].y);
    if (std::abs(area) < 1e-8f) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({screen[0].x, screen[1].x, screen[2].x}))));
    const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max({screen[0].x, screen[1].x, screen[2].x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({screen[0].y, screen[1].y, screen[2].y}))));
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(std::max({screen[0].y, screen[1].y, screen[2].y}))));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const glm::vec2 p(x + 0.5f, y + 0.5f);
            float weight[3];
            for (int k = 0; k < 3; ++k) {
                const glm::vec2& e0 = screen[(k + 1) % 3];
                const glm::vec2& e1 = screen[(k + 2) % 3];
                weight[k] = ((e1.x - e0.x) * (p.y - e0.y) - (p.x - e0.x) * (e1.y - e0.y)) / area;
            }
            if (weight[0] < 0.0f || weight[1] < 0.0f || weight[2] < 0.0f) continue;
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) sum += weight[k] * inverseW[k];
            const float viewDepth = 1.0f / sum;
            float& stored = depths[static_cast<std::size_t>(y) * w + x];
            if (viewDepth >= stored) continue;
            Fragment fragment{glm::vec3(0.0f), glm::vec3(0.0f), glm::vec2(0.0f), x, y};
            for (int k = 0; k < 3; ++k) {
                const float f = weight[k] * inverseW[k] * viewDepth;
                fragment.world += corners[k]->world * f;
                fragment.normal += corners[k]->normal * f;
                fragment.uv += corners[k]->uv * f;
            }
            const std::optional<glm::vec3> shaded = shade(fragment);
            if (!shaded) continue;
            stored = viewDepth;
            colours[static_cast<std::size_t>(y) * w + x] = *shaded;
        }
    }
}

} // namespace assetgen
