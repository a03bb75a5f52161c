#include "Shapes.h"

#include <cmath>

#include <glm/geometric.hpp>

#include "Noise.h"

namespace assetgen {

namespace {

constexpr float kTwoPi = 6.2831853f;

glm::vec3 anyPerpendicular(glm::vec3 v) {
    const glm::vec3 helper = std::abs(v.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    return glm::normalize(glm::cross(helper, v));
}

} // namespace

Tube tube(const TubeShape& shape) {
    Tube out;
    const int rings = static_cast<int>(shape.path.size());
    std::vector<glm::vec3> tangents(rings);
    for (int i = 0; i < rings; ++i) {
        const glm::vec3 ahead = shape.path[std::min(i + 1, rings - 1)];
        const glm::vec3 behind = shape.path[std::max(i - 1, 0)];
        tangents[i] = glm::normalize(ahead - behind);
    }
    // Parallel transport keeps the rings from twisting along a bent path.
    glm::vec3 normal = anyPerpendicular(tangents[0]);
    float travelled = 0.0f;
    for (int i = 0; i < rings; ++i) {
        normal = glm::normalize(normal - tangents[i] * glm::dot(normal, tangents[i]));
        const glm::vec3 binormal = glm::cross(tangents[i], normal);
        if (i > 0) travelled += glm::length(shape.path[i] - shape.path[i - 1]);
        for (int j = 0; j <= shape.sides; ++j) {
            const int side = j % shape.sides;
            const float angle = kTwoPi * static_cast<float>(side) / shape.sides;
            const glm::vec3 radial = normal * std::cos(angle) + binormal * std::sin(angle);
            const float radius = shape.radii[i] * (shape.relief ? shape.relief(i, side) : 1.0f);
            const glm::vec3 position = shape.path[i] + radial * radius;
            out.mesh.addVertex(position, radial,
                               {shape.uTurns * static_cast<float>(j) / shape.sides, travelled * shape.vPerUnit});
            if (j < shape.sides) {
                if (i == 0) out.firstRing.push_back(position);
                if (i == rings - 1) out.lastRing.push_back(position);
            }
        }
    }
    const std::uint32_t stride = static_cast<std::uint32_t>(shape.sides + 1);
    for (int i = 0; i + 1 < rings; ++i) {
        for (int j = 0; j < shape.sides; ++j) {
            const std::uint32_t a = i * stride + j;
            out.mesh.addQuad(a, a + 1, a + 1 + stride, a + stride);
        }
    }
    return out;
}

Mesh cap(const std::vector<glm::vec3>& ring, glm::vec3 outward) {
    Mesh mesh;
    glm::vec3 centre(0.0f);
    for (const glm::vec3& p : ring) centre += p;
    centre /= static_cast<float>(ring.size());
    const glm::vec3 e1 = glm::normalize(ring[0] - centre);
    const glm::vec3 e2 = glm::cross(outward, e1);
    float radius = 0.0f;
    for (const glm::vec3& p : ring) radius = std::max(radius, glm::length(p - centre));
    auto uv = [&](glm::vec3 p) {
        const glm::vec3 d = (p - centre) / radius;
        return glm::vec2(0.5f + 0.5f * glm::dot(d, e1), 0.5f + 0.5f * glm::dot(d, e2));
    };
    const std::uint32_t middle = mesh.addVertex(centre, outward, {0.5f, 0.5f});
    for (const glm::vec3& p : ring) mesh.addVertex(p, outward, uv(p));
    const std::uint32_t n = static_cast<std::uint32_t>(ring.size());
    for (std::uint32_t k = 0; k < n; ++k) {
        std::uint32_t a = 1 + k, b = 1 + (k + 1) % n;
        if (glm::dot(glm::cross(ring[a - 1] - centre, ring[b - 1] - centre), outward) < 0.0f) std::swap(a, b);
        mesh.addTriangle(middle, a, b);
    }
    return mesh;
}

Mesh boulder(Random& random, glm::vec3 radii, int rings, int segments) {
    Mesh mesh;
    const std::uint32_t seed = static_cast<std::uint32_t>(random.next());
    const glm::vec3 offset(random.range(-50, 50), random.range(-50, 50), random.range(-50, 50));
    auto surface = [&](int ring, int segment) {
        const float polar = 3.14159265f * static_cast<float>(ring) / rings;
        const float azimuth = kTwoPi * static_cast<float>(segment % segments) / segments;
        const glm::vec3 d(std::sin(polar) * std::cos(azimuth), std::cos(polar), std::sin(polar) * std::sin(azimuth));
        const float lumps = 0.30f * noise::fractal(d * 1.1f + offset, {}, 3, seed) +
                            0.08f * noise::fractal(d * 3.5f + offset, {}, 3, seed + 1);
        // Weathered blocks: a few flattened faces where the stone split.
        glm::vec3 shaped = d;
        for (int k = 0; k < 3; ++k) {
            const glm::vec3 cut = glm::normalize(glm::vec3(noise::lattice(k, 0, 1, seed) - 0.5f, noise::lattice(k, 1, 1, seed) - 0.2f,
                                                           noise::lattice(k, 2, 1, seed) - 0.5f));
            const float beyond = glm::dot(shaped, cut) - 0.72f;
            if (beyond > 0.0f) shaped -= cut * (beyond * 0.8f);
        }
        // Flatter underneath, where it rests in the ground.
        if (shaped.y < 0.0f) shaped.y *= 0.6f;
        return shaped * radii * (1.0f + lumps);
    };
    const float circumference = kTwoPi * (radii.x + radii.z) * 0.5f;
    const float uRepeat = std::max(1.0f, std::round(circumference / 1.6f));
    for (int i = 0; i <= rings; ++i) {
        for (int j = 0; j <= segments; ++j) {
            const float u = uRepeat * static_cast<float>(j) / segments;
            const float v = static_cast<float>(i) / rings * radii.y * 3.14159265f / 1.6f;
            mesh.addVertex(surface(i, j), glm::vec3(0, 1, 0), {u, v});
        }
    }
    const std::uint32_t stride = static_cast<std::uint32_t>(segments + 1);
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            const std::uint32_t a = i * stride + j, b = a + 1, c = a + 1 + stride, d = a + stride;
            // At the poles one edge collapses; keep only the real triangle.
            if (i == 0) mesh.addTriangle(a, c, d);
            else if (i == rings - 1) mesh.addTriangle(a, b, d);
            else mesh.addQuad(a, b, c, d);
        }
    }
    mesh.smoothNormals();
    return mesh;
}

Mesh card(glm::vec3 root, glm::vec3 direction, glm::vec3 side, float length, float width, float droop, int segments) {
    Mesh mesh;
    const glm::vec3 up = glm::normalize(glm::cross(side, direction));
    glm::vec3 point = root;
    for (int s = 0; s <= segments; ++s) {
        const float along = static_cast<float>(s) / segments;
        // The far end of the branch sags more than its base.
        const float angle = droop * along;
        const glm::vec3 heading = glm::normalize(direction * std::cos(angle) - up * std::sin(angle));
        const glm::vec3 normal = glm::normalize(glm::cross(side, heading) + heading * 0.25f);
        mesh.addVertex(point - side * (width * 0.5f), normal, {0.0f, along});
        mesh.addVertex(point + side * (width * 0.5f), normal, {1.0f, along});
        point += heading * (length / segments);
    }
    for (std::uint32_t s = 0; s < static_cast<std::uint32_t>(segments); ++s) {
        const std::uint32_t a = s * 2;
        mesh.addQuad(a, a + 1, a + 3, a + 2);
    }
    return mesh;
}

} // namespace assetgen
