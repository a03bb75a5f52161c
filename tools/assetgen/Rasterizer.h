#pragma once
// A small depth-buffered triangle rasteriser for the camera previews:
// near-plane clipping in clip space, perspective-correct attributes, and a
// per-fragment callback that shades or discards.

#include <functional>
#include <optional>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace assetgen {

struct Fragment {
    glm::vec3 world;
    glm::vec3 normal;
    glm::vec2 uv;
    int x, y; // pixel, row 0 at the top
};

class Rasterizer {
public:
    Rasterizer(int width, int height);

    int width() const { return w; }
    int height() const { return h; }

    // Shade returns the colour, or nothing to let what lies behind show.
    using Shade = std::function<std::optional<glm::vec3>(const Fragment&)>;

    void drawTriangle(const glm::mat4& viewProjection, const glm::vec3 world[3], const glm::vec3 normal[3],
                      const glm::vec2 uv[3], const Shade& shade);

    glm::vec3& colour(int x, int y) { return colours[static_cast<std::size_t>(y) * w + x]; }
    float depth(int x, int y) const { return depths[static_cast<std::size_t>(y) * w + x]; }
    bool covered(int x, int y) const { return depth(x, y) < kFar; }

    static constexpr float kFar = 1e30f;

private:
    struct Corner {
        glm::vec4 clip;
        glm::vec3 world, normal;
        glm::vec2 uv;
    };
    void rasterise(const Corner& a, const Corner& b, const Corner& c, const Shade& shade);

    int w, h;
    std::vector<glm::vec3> colours;
    std::vector<float> depths;
};

} // namespace assetgen
