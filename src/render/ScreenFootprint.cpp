#include "render/ScreenFootprint.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/vec4.hpp>

#include <array>
#include <cstddef>
#include <limits>

namespace rtr {

ScreenRect ScreenRect::grownAndClamped(float margin) const {
    if (empty())
        return *this;
    return {glm::max(lower - margin, glm::vec2(-1.0f)), glm::min(upper + margin, glm::vec2(1.0f))};
}

ScreenRect screenFootprint(const glm::mat4& viewProjection, const glm::vec3& lowest, const glm::vec3& highest) {
    std::array<glm::vec4, 8> corners;
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 corner(i & 1 ? highest.x : lowest.x, i & 2 ? highest.y : lowest.y, i & 4 ? highest.z : lowest.z);
        corners[i] = viewProjection * glm::vec4(corner, 1.0f);
    }
    // In front of GL's near plane: z + w >= 0 in clip space.
    const auto inFront = [](const glm::vec4& c) { return c.z + c.w; };

    ScreenRect bounds{glm::vec2(std::numeric_limits<float>::max()), glm::vec2(std::numeric_limits<float>::lowest())};
    const auto include = [&bounds](const glm::vec4& c) {
        // On the near plane w is the near distance, never 0 for a perspective
        // projection.
        const glm::vec2 ndc = glm::vec2(c) / c.w;
        bounds.lower = glm::min(bounds.lower, ndc);
        bounds.upper = glm::max(bounds.upper, ndc);
    };
    for (int i = 0; i < 8; ++i) {
        if (inFront(corners[i]) >= 0.0f)
            include(corners[i]);
        // The edges from this corner to the corners one axis away.
        for (int axis = 1; axis < 8; axis <<= 1) {
            const int j = i | axis;
            if (j == i)
                continue;
            const float a = inFront(corners[i]), b = inFront(corners[j]);
            if ((a < 0.0f) != (b < 0.0f))
                include(glm::mix(corners[i], corners[j], a / (a - b)));
        }
    }
    return bounds;
}

namespace {

// The segment [a, b] swept over the square of half-size `reach`: a square
// around each end, and the parallelogram between the two corners that lie
// farthest to either side of the segment (opposite corners, as the square
// is symmetric), which closes the hull.
void addSweptSegment(std::vector<glm::vec2>& triangles, const glm::vec2& a, const glm::vec2& b, float reach) {
    const auto quad = [&triangles](const glm::vec2& p, const glm::vec2& q, const glm::vec2& r, const glm::vec2& s) {
        triangles.insert(triangles.end(), {p, q, r, p, r, s});
    };
    for (const glm::vec2& end : {a, b})
        quad(end + glm::vec2(-reach, -reach), end + glm::vec2(reach, -reach), end + glm::vec2(reach, reach),
             end + glm::vec2(-reach, reach));
    const glm::vec2 along = b - a;
    // The corner farthest along the segment's normal (-along.y, along.x).
    const glm::vec2 side(along.y <= 0.0f ? reach : -reach, along.x >= 0.0f ? reach : -reach);
    quad(a + side, b + side, b - side, a - side);
}

} // namespace

std::vector<glm::vec2> widenedOutline(const glm::mat4& viewProjection, const std::vector<glm::vec3>& edges,
                                      float reach) {
    std::vector<glm::vec2> triangles;
    // Where the outline crosses the near plane. The shape is flat, so these
    // all lie on one line, where its plane meets the near plane, and the
    // cut runs between the two farthest apart.
    std::vector<glm::vec2> crossings;
    for (std::size_t i = 0; i + 1 < edges.size(); i += 2) {
        glm::vec4 a = viewProjection * glm::vec4(edges[i], 1.0f), b = viewProjection * glm::vec4(edges[i + 1], 1.0f);
        const float inFrontA = a.z + a.w, inFrontB = b.z + b.w;
        if (inFrontA < 0.0f && inFrontB < 0.0f)
            continue;
        if ((inFrontA < 0.0f) != (inFrontB < 0.0f)) {
            const glm::vec4 cut = glm::mix(a, b, inFrontA / (inFrontA - inFrontB));
            (inFrontA < 0.0f ? a : b) = cut;
            crossings.push_back(glm::vec2(cut) / cut.w);
        }
        addSweptSegment(triangles, glm::vec2(a) / a.w, glm::vec2(b) / b.w, reach);
    }
    if (!crossings.empty()) {
        glm::vec2 from = crossings.front(), to = from;
        float farthest = -1.0f;
        for (const glm::vec2& p : crossings)
            for (const glm::vec2& q : crossings) {
                const glm::vec2 d = q - p;
                if (glm::dot(d, d) > farthest) {
                    farthest = glm::dot(d, d);
                    from = p;
                    to = q;
                }
            }
        addSweptSegment(triangles, from, to, reach);
    }
    return triangles;
}

glm::mat4 zoomToRect(const ScreenRect& rect) {
    const glm::vec2 centre = (rect.lower + rect.upper) * 0.5f;
    const glm::vec2 scale = 2.0f / (rect.upper - rect.lower);
    return glm::scale(glm::mat4(1.0f), glm::vec3(scale, 1.0f)) *
           glm::translate(glm::mat4(1.0f), glm::vec3(-centre, 0.0f));
}

} // namespace rtr
