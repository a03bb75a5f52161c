#include "render/ScreenFootprint.h"

#include <glm/common.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/vec4.hpp>

#include <array>
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

glm::mat4 zoomToRect(const ScreenRect& rect) {
    const glm::vec2 centre = (rect.lower + rect.upper) * 0.5f;
    const glm::vec2 scale = 2.0f / (rect.upper - rect.lower);
    return glm::scale(glm::mat4(1.0f), glm::vec3(scale, 1.0f)) *
           glm::translate(glm::mat4(1.0f), glm::vec3(-centre, 0.0f));
}

} // namespace rtr
