// The flame sprite sheet. Time enters the flame only through functions with
// a period of one loop (turbulence that rises one full noise period, and
// sways of whole cycles), so the sixteenth frame flows into the first.

#include <cmath>

#include "EffectTextures.h"
#include "Noise.h"
#include "Paint.h"

namespace assetgen {

namespace {

using glm::vec3;
using paint::mix;
using paint::smoothstep;

constexpr float kTwoPi = 6.2831853f;

vec3 flameColour(float heat) {
    const vec3 ember(0.45f, 0.04f, 0.0f), orange(1.0f, 0.38f, 0.04f), yellow(1.0f, 0.76f, 0.28f), white(1.0f, 0.95f, 0.82f);
    if (heat < 0.35f) return mix(vec3(0.0f), ember, heat / 0.35f);
    if (heat < 0.6f) return mix(ember, orange, (heat - 0.35f) / 0.25f);
    if (heat < 0.85f) return mix(orange, yellow, (heat - 0.6f) / 0.25f);
    return mix(yellow, white, std::min((heat - 0.85f) / 0.15f, 1.0f));
}

} // namespace

Image paintFireSheet(int frameSize, std::uint32_t seed) {
    const int size = frameSize * 4;
    Image sheet(size, size, glm::vec4(0.0f));
    constexpr int risePeriod = 3, timePeriod = 2;
    for (int frame = 0; frame < 16; ++frame) {
        const float phase = static_cast<float>(frame) / 16.0f;
        const int column = frame % 4, rowFromTop = frame / 4;
        const int originX = column * frameSize;
        const int originY = size - (rowFromTop + 1) * frameSize; // rows are stored bottom-up
        const float sway = 0.10f * std::sin(kTwoPi * phase) + 0.05f * std::sin(2.0f * kTwoPi * phase + 1.3f);
        const float reach = 0.80f + 0.08f * std::sin(kTwoPi * phase + 0.4f) + 0.05f * std::sin(3.0f * kTwoPi * phase);
        for (int y = 0; y < frameSize; ++y) {
            for (int x = 0; x < frameSize; ++x) {
                const float fx = (static_cast<float>(x) + 0.5f) / frameSize * 2.0f - 1.0f;
                const float fy = (static_cast<float>(y) + 0.5f) / frameSize;
                const vec3 rising(fx * 2.0f, fy * 2.6f - phase * risePeriod, phase * timePeriod);
                const float turbulence = noise::fractal(rising, {0, risePeriod, timePeriod}, 3, seed + 1);
                const float detail = noise::fractal(rising * 2.0f, {0, risePeriod * 2, timePeriod * 2}, 3, seed + 2);
                const float bent = fx - (sway * fy * fy + 0.42f * std::pow(fy, 1.2f) * turbulence);

                // Teardrop: a rounded base, a tongue tapering to the tip.
                constexpr float base = 0.12f;
                const float halfWidth = fy < base ? 0.5f * std::sqrt(fy / base)
                                                  : 0.5f * std::pow(std::max(1.0f - (fy - base) / (reach - base), 0.0f), 0.8f);
                float heat = 0.0f;
                if (halfWidth > 0.002f) {
                    const float across = std::abs(bent) / halfWidth;
                    const float body = std::max(1.0f - across * across, 0.0f);
                    // Tongues break up and tear off towards the top.
                    const float height = fy / reach;
                    float density = body * (0.8f + 0.55f * detail) - 0.5f * height * height * (0.6f - detail);
                    density = std::max(density, 0.0f);
                    const float core = std::exp(-across * across / 0.12f) * smoothstep(0.7f, 0.05f, height);
                    heat = std::clamp(density * (1.1f - 0.5f * height) + 0.35f * core * body, 0.0f, 1.0f);
                }
                // Nothing may reach the frame's border, or filtering would pull
                // it into the neighbouring frame.
                heat *= smoothstep(0.0f, 0.06f, std::min({fy, 1.0f - fy, 1.0f - std::abs(fx)}));
                const float alpha = smoothstep(0.02f, 0.5f, heat);
                sheet.at(originX + x, originY + y) = glm::vec4(flameColour(heat) * alpha, alpha);
            }
        }
    }
    return sheet;
}

} // namespace assetgen
