// A spruce branch spray for the foliage cards: a main shoot with side
// shoots and their own shoots, all set densely with short needles, on a
// transparent ground. The branch grows from the bottom edge (texture v = 0,
// where the card meets the trunk) towards its tip at the top.

#include <algorithm>
#include <cmath>

#include "Paint.h"
#include "Random.h"
#include "SurfaceTexture.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using paint::mix;
using paint::smoothstep;

// The average needle colour; transparent texels carry it too, so filtering
// at the cut-out edge does not pull in a dark fringe.
const vec3 kFoliageFill(0.075f, 0.13f, 0.06f);

vec2 rotated(vec2 v, float angle) {
    return {v.x * std::cos(angle) - v.y * std::sin(angle), v.x * std::sin(angle) + v.y * std::cos(angle)};
}

class Spray {
public:
    Spray(SurfaceTexture& target, std::uint32_t seed) : out(target), random(seed), size(target.colour.width()) {}

    // A shoot from `start` along `direction`; `level` 0 is the main axis.
    void shoot(vec2 start, vec2 direction, float length, int level) {
        const float s = static_cast<float>(size);
        vec2 point = start;
        vec2 heading = direction;
        const float bend = level == 0 ? random.range(-0.0002f, 0.0002f) : random.range(-0.0015f, 0.0015f);
        const float step = 2.0f;
        const float needleLength = s * (level == 0 ? 0.024f : level == 1 ? 0.021f : 0.018f);
        const float twigRadius = level == 0 ? 3.0f : level == 1 ? 1.6f : 1.0f;
        float nextBranch = length * random.range(0.06f, 0.12f);
        int side = random.chance(0.5) ? 1 : -1;
        for (float travelled = 0.0f; travelled < length; travelled += step) {
            const float along = travelled / length;
            heading = glm::normalize(rotated(heading, bend * step));
            const vec2 next = point + heading * step;
            twig(point, next, twigRadius * (1.0f - 0.5f * along));

            // Needles all round the shoot; from above, they fan out to both
            // sides and lie over it.
            const vec2 normal(-heading.y, heading.x);
            const float youth = smoothstep(0.8f, 1.0f, along);
            for (int k = 0; k < 3; ++k) {
                if (random.chance(0.18)) continue;
                const float sideSign = k == 0 ? -1.0f : k == 1 ? 1.0f : random.range(-0.4f, 0.4f);
                const float forward = random.range(0.5f, 1.0f);
                const vec2 dir = glm::normalize(heading * forward + normal * (sideSign * random.range(0.7f, 1.3f)));
                const float len = needleLength * random.range(0.75f, 1.15f) * (1.0f - 0.35f * along * along);
                needle(point, point + dir * len, youth);
            }

            if (level < 2 && travelled >= nextBranch && along < 0.85f) {
                const float remaining = length - travelled;
                const float angle = side * random.range(0.75f, 1.05f);
                const vec2 childDirection = rotated(heading, angle);
                float childLength = (level == 0 ? envelope(along) * s * 0.55f : remaining * random.range(0.45f, 0.6f)) *
                                    random.range(0.85f, 1.1f);
                childLength = std::min(childLength, roomAlong(point, childDirection) - needleLength * 1.5f);
                if (childLength > 12.0f) shoot(point, childDirection, childLength, level + 1);
                side = -side;
                nextBranch += length * (level == 0 ? random.range(0.035f, 0.05f) : random.range(0.12f, 0.18f));
            }
            point = next;
        }
    }

private:
    // Width of the spray along the main axis: full near the base, tapering
    // to the tip.
    static float envelope(float along) {
        if (along < 0.3f) return 0.7f + along;
        return std::pow(std::max(1.0f - (along - 0.3f) / 0.7f, 0.05f), 0.8f);
    }

    // How far one can go from p along direction d before leaving the card.
    float roomAlong(vec2 p, vec2 d) const {
        const float s = static_cast<float>(size);
        float room = 1e9f;
        if (d.x > 1e-4f) room = std::min(room, (s - p.x) / d.x);
        if (d.x < -1e-4f) room = std::min(room, -p.x / d.x);
        if (d.y > 1e-4f) room = std::min(room, (s - p.y) / d.y);
        if (d.y < -1e-4f) room = std::min(room, -p.y / d.y);
        return room;
    }

    void twig(vec2 a, vec2 b, float radius) {
        paint::stroke(size, size, a, b, radius, radius, false, [&](int x, int y, float coverage, float) {
            glm::vec4& texel = out.colour.at(x, y);
            texel = glm::vec4(mix(vec3(texel), vec3(0.20f, 0.13f, 0.08f), coverage), std::max(texel.a, coverage));
            out.height.at(x, y) = std::max(out.height.at(x, y), 2.0f * coverage);
        });
    }

    void needle(vec2 root, vec2 tip, float youth) {
        const vec3 old = mix(vec3(0.035f, 0.075f, 0.035f), vec3(0.10f, 0.17f, 0.075f), static_cast<float>(random.uniform()));
        const vec3 tone = mix(old, vec3(0.22f, 0.34f, 0.13f), youth);
        const float lift = 1.5f + 2.5f * static_cast<float>(random.uniform());
        paint::stroke(size, size, root, tip, 1.35f, 0.5f, false, [&](int x, int y, float coverage, float along) {
            glm::vec4& texel = out.colour.at(x, y);
            const vec3 c = tone * (0.7f + 0.5f * along);
            texel = glm::vec4(mix(vec3(texel), c, coverage), std::max(texel.a, coverage));
            float& h = out.height.at(x, y);
            h = std::max(h, (h * 0.5f + lift) * coverage + h * (1.0f - coverage));
        });
    }

    SurfaceTexture& out;
    Random random;
    int size;
};

} // namespace

SurfaceTexture paintNeedleSpray(int size, std::uint32_t seed) {
    SurfaceTexture out{Image(size, size, glm::vec4(kFoliageFill, 0.0f)), ScalarField(size, size), false};
    Spray spray(out, seed);
    const float s = static_cast<float>(size);
    spray.shoot({s * 0.5f, 2.0f}, vec2(0.0f, 1.0f), s * 0.94f, 0);

    for (glm::vec4& texel : out.colour.data()) {
        if (texel.a < 1.0f) texel = glm::vec4(mix(kFoliageFill, vec3(texel), texel.a), texel.a);
    }
    return out;
}

} // namespace assetgen
