#include "Props.h"

#include <cmath>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "Layout.h"
#include "Noise.h"
#include "Shapes.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;

constexpr float kTwoPi = 6.2831853f;

// A straight log from a to b; its sides and both end caps.
LogMeshes roundLog(vec3 a, vec3 b, float radius, int sides, std::uint32_t seed, float vPerUnit = 1.0f) {
    TubeShape shape;
    shape.sides = sides;
    const int rings = 4;
    for (int k = 0; k <= rings; ++k) {
        const float t = static_cast<float>(k) / rings;
        shape.path.push_back(a + (b - a) * t);
        shape.radii.push_back(radius * (1.0f - 0.08f * t));
    }
    shape.uTurns = 1.0f;
    shape.vPerUnit = vPerUnit;
    shape.relief = [seed](int ring, int side) { return 1.0f + 0.07f * (noise::lattice(ring, side, 1, seed) - 0.5f); };
    const Tube body = tube(shape);
    LogMeshes out{body.mesh, Mesh{}};
    const vec3 axis = glm::normalize(b - a);
    out.ends.append(cap(body.firstRing, -axis), glm::mat4(1.0f));
    out.ends.append(cap(body.lastRing, axis), glm::mat4(1.0f));
    return out;
}

} // namespace

Mesh firePit(std::uint32_t seed) {
    Mesh pit;
    Random random(seed);
    // The ember bed: a low mound, its rim tucked just under the ground.
    constexpr int rings = 5, segments = 20;
    constexpr float bedRadius = 0.52f;
    const std::uint32_t centre = pit.addVertex({0.0f, 0.075f, 0.0f}, {0, 1, 0}, {0.5f, 0.5f});
    for (int r = 1; r <= rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const float radius = bedRadius * r / rings;
            const float angle = kTwoPi * s / segments;
            const float bump = r == rings ? 0.0f : 0.018f * (noise::lattice(r, s, 2, seed) - 0.5f);
            const float height = 0.075f * (1.0f - (radius / bedRadius) * (radius / bedRadius)) - (r == rings ? 0.02f : 0.0f) + bump;
            pit.addVertex({radius * std::cos(angle), height, radius * std::sin(angle)}, {0, 1, 0},
                          {0.5f + radius * std::cos(angle), 0.5f + radius * std::sin(angle)});
        }
    }
    for (int s = 0; s < segments; ++s) pit.addTriangle(centre, 1 + (s + 1) % segments, 1 + s);
    for (int r = 1; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const std::uint32_t a = 1 + (r - 1) * segments + s, b = 1 + (r - 1) * segments + (s + 1) % segments;
            const std::uint32_t c = b + segments, d = a + segments;
            pit.addQuad(a, b, c, d);
        }
    }
    // Fix the ember bed's winding to face up.
    for (std::size_t f = 0; f < pit.indices.size(); f += 3) {
        const vec3 p0 = pit.positions[pit.indices[f]], p1 = pit.positions[pit.indices[f + 1]], p2 = pit.positions[pit.indices[f + 2]];
        if (glm::cross(p1 - p0, p2 - p0).y < 0.0f) std::swap(pit.indices[f + 1], pit.indices[f + 2]);
    }
    pit.smoothNormals();

    // Three logs pushed in from the sides, their ends burning in the middle,
    // and two more laid across them.
    for (int k = 0; k < 3; ++k) {
        const float angle = 0.4f + kTwoPi * k / 3.0f + random.range(-0.15f, 0.15f);
        const vec3 outward(std::cos(angle), 0.0f, std::sin(angle));
        const float radius = random.range(0.07f, 0.085f);
        const vec3 inner = outward * 0.06f + vec3(0.0f, radius + 0.01f, 0.0f);
        const vec3 outer = outward * 0.78f + vec3(0.0f, radius - 0.015f, 0.0f);
        const LogMeshes piece = roundLog(inner, outer, radius, 8, seed + k, 1.6f);
        pit.append(piece.sides, glm::mat4(1.0f));
        pit.append(piece.ends, glm::mat4(1.0f));
    }
    for (int k = 0; k < 2; ++k) {
        const float angle = 1.2f + 1.7f * k;
        const vec3 along(std::cos(angle), 0.0f, std::sin(angle));
        const float radius = 0.065f;
        const vec3 mid = vec3(0.03f * k, 0.16f + 0.02f * k, -0.02f);
        const LogMeshes piece = roundLog(mid - along * 0.38f + vec3(0, -0.04f, 0), mid + along * 0.36f, radius, 8, seed + 10 + k, 1.6f);
        pit.append(piece.sides, glm::mat4(1.0f));
        pit.append(piece.ends, glm::mat4(1.0f));
    }
    return pit;
}

Mesh hearthStones(const Terrain& terrain, vec3 centre, std::uint32_t seed) {
    Mesh stones;
    Random random(seed);
    constexpr int count = 11;
    for (int k = 0; k < count; ++k) {
        const float angle = kTwoPi * (k + random.range(-0.15f, 0.15f)) / count;
        const float ring = 0.74f + random.range(-0.03f, 0.05f);
        const vec3 at = centre + vec3(std::cos(angle) * ring, 0.0f, std::sin(angle) * ring);
        const vec3 radii(random.range(0.13f, 0.19f), random.range(0.10f, 0.14f), random.range(0.12f, 0.16f));
        Mesh stone = boulder(random, radii, 6, 10);
        const glm::mat4 place = glm::rotate(glm::translate(glm::mat4(1.0f), terrain.at(at.x, at.z) + vec3(0.0f, radii.y * 0.35f, 0.0f)),
                                            -angle, vec3(0, 1, 0));
        stones.append(stone, place);
    }
    return stones;
}

LogMeshes lyingLog(const Terrain& terrain, vec3 centre, vec3 axis, float length, float radius, std::uint32_t seed) {
    const vec3 a = centre - axis * (length * 0.5f), b = centre + axis * (length * 0.5f);
    // Rest each end on the ground, sunk a little so it sits rather than floats.
    const vec3 groundA = terrain.at(a.x, a.z) + vec3(0.0f, radius * 0.85f, 0.0f);
    const vec3 groundB = terrain.at(b.x, b.z) + vec3(0.0f, radius * 0.85f, 0.0f);
    return roundLog(groundA, groundB, radius, 11, seed, 1.0f / 1.1f);
}

LogMeshes woodpile(const Terrain& terrain, vec3 centre, vec3 axis, std::uint32_t seed) {
    LogMeshes pile;
    Random random(seed);
    const vec3 across = glm::normalize(glm::cross(vec3(0, 1, 0), axis));
    const float ground = terrain.height(centre.x, centre.z);
    const int rows[] = {4, 3, 2};
    float y = ground;
    for (int row = 0; row < 3; ++row) {
        const float radius = 0.075f;
        for (int k = 0; k < rows[row]; ++k) {
            const float offset = (static_cast<float>(k) - (rows[row] - 1) * 0.5f) * 2.05f * radius;
            const vec3 mid = vec3(centre.x, y + radius * 0.95f, centre.z) + across * offset + axis * random.range(-0.05f, 0.05f);
            const float length = random.range(0.48f, 0.56f);
            const LogMeshes piece = roundLog(mid - axis * (length * 0.5f), mid + axis * (length * 0.5f), radius * random.range(0.9f, 1.1f),
                                        7, seed + row * 10 + k, 1.0f / 1.1f);
            pile.sides.append(piece.sides, glm::mat4(1.0f));
            pile.ends.append(piece.ends, glm::mat4(1.0f));
        }
        y += radius * 1.75f;
    }
    return pile;
}

LogMeshes stump(const Terrain& terrain, vec3 at, float radius, float height, std::uint32_t seed) {
    const float ground = terrain.height(at.x, at.z);
    TubeShape shape;
    shape.sides = 12;
    // Roots flare out where the stump meets the ground.
    const float heights[] = {-0.3f, 0.0f, 0.08f, 0.25f, height};
    const float flares[] = {1.5f, 1.45f, 1.2f, 1.04f, 1.0f};
    for (int k = 0; k < 5; ++k) {
        shape.path.push_back(vec3(at.x, ground + heights[k], at.z));
        shape.radii.push_back(radius * flares[k]);
    }
    shape.uTurns = std::max(1.0f, std::round(kTwoPi * radius / 1.1f));
    shape.vPerUnit = 1.0f / 1.1f;
    shape.relief = [seed](int ring, int side) { return 1.0f + 0.12f * (noise::lattice(ring / 3, side, 4, seed) - 0.5f); };
    const Tube body = tube(shape);
    return {body.mesh, cap(body.lastRing, vec3(0, 1, 0))};
}

Mesh grassTuft(const Terrain& terrain, Random& random, vec3 at) {
    Mesh tuft;
    const vec3 root = terrain.at(at.x, at.z) - vec3(0.0f, 0.03f, 0.0f);
    const float height = random.range(0.3f, 0.55f), width = height * random.range(1.1f, 1.5f);
    const float turn = random.range(0.0f, kTwoPi);
    for (int k = 0; k < 3; ++k) {
        const float angle = turn + kTwoPi * k / 6.0f;
        const vec3 side(std::cos(angle), 0.0f, std::sin(angle));
        const vec3 lean = vec3(random.range(-0.1f, 0.1f), 1.0f, random.range(-0.1f, 0.1f));
        // Lit as part of the ground it grows from, not as a flat sheet.
        const vec3 normal = glm::normalize(terrain.normal(at.x, at.z) + vec3(0.0f, 0.5f, 0.0f));
        const std::uint32_t a = tuft.addVertex(root - side * (width * 0.5f), normal, {0.0f, 0.0f});
        const std::uint32_t b = tuft.addVertex(root + side * (width * 0.5f), normal, {1.0f, 0.0f});
        const std::uint32_t c = tuft.addVertex(root + side * (width * 0.5f) + lean * height, normal, {1.0f, 1.0f});
        const std::uint32_t d = tuft.addVertex(root - side * (width * 0.5f) + lean * height, normal, {0.0f, 1.0f});
        tuft.addQuad(a, b, c, d);
    }
    return tuft;
}

Mesh tent(const Terrain& terrain, vec3 centre, vec3 facing) {
    const vec3 forward = glm::normalize(vec3(facing.x, 0.0f, facing.z));
    const vec3 side = glm::normalize(glm::cross(vec3(0, 1, 0), forward));
    constexpr float halfLength = 1.15f, halfWidth = 1.0f, ridgeHeight = 1.35f;
    const float ground = terrain.height(centre.x, centre.z) - 0.03f;
    const vec3 base(centre.x, ground, centre.z);
    auto groundAt = [&](vec3 p) { return vec3(p.x, std::min(terrain.height(p.x, p.z) - 0.03f, ground + 0.2f), p.z); };
    // Every face looks away from the ridge line.
    auto faceOutward = [&](Mesh& mesh) {
        for (std::size_t f = 0; f < mesh.indices.size(); f += 3) {
            const vec3 p0 = mesh.positions[mesh.indices[f]], p1 = mesh.positions[mesh.indices[f + 1]], p2 = mesh.positions[mesh.indices[f + 2]];
            const vec3 middle = (p0 + p1 + p2) / 3.0f;
            const vec3 axisPoint = base + forward * glm::dot(middle - base, forward) + vec3(0.0f, 0.3f * ridgeHeight, 0.0f);
            if (glm::dot(glm::cross(p1 - p0, p2 - p0), middle - axisPoint) < 0.0f) std::swap(mesh.indices[f + 1], mesh.indices[f + 2]);
        }
    };

    // Two sloped walls, each a grid so the cloth can sag between the poles.
    Mesh walls;
    constexpr int along = 6, up = 3;
    for (int wall = -1; wall <= 1; wall += 2) {
        const std::uint32_t first = walls.vertexCount();
        for (int j = 0; j <= up; ++j) {
            for (int i = 0; i <= along; ++i) {
                const float s = static_cast<float>(i) / along, t = static_cast<float>(j) / up;
                const vec3 foot = groundAt(base + forward * ((s * 2.0f - 1.0f) * halfLength) + side * (wall * halfWidth));
                const vec3 ridge = base + forward * ((s * 2.0f - 1.0f) * halfLength) + vec3(0.0f, ridgeHeight, 0.0f);
                const float sag = 0.07f * std::sin(3.14159f * t) * std::sin(3.14159f * s);
                walls.addVertex(foot + (ridge - foot) * t - side * (wall * sag), vec3(0, 1, 0), {s * 1.6f, t * 0.9f});
            }
        }
        for (int j = 0; j < up; ++j) {
            for (int i = 0; i < along; ++i) {
                const std::uint32_t a = first + j * (along + 1) + i;
                walls.addQuad(a, a + 1, a + along + 2, a + along + 1);
            }
        }
    }
    faceOutward(walls);
    walls.smoothNormals();

    // The two gable ends, flat.
    Mesh gables;
    for (int end = -1; end <= 1; end += 2) {
        const vec3 middle = base + forward * (end * halfLength);
        const vec3 outward = forward * static_cast<float>(end);
        const std::uint32_t a = gables.addVertex(groundAt(middle - side * halfWidth), outward, {0.0f, 0.0f});
        const std::uint32_t b = gables.addVertex(groundAt(middle + side * halfWidth), outward, {1.3f, 0.0f});
        const std::uint32_t c = gables.addVertex(middle + vec3(0.0f, ridgeHeight, 0.0f), outward, {0.65f, 0.9f});
        gables.addTriangle(a, b, c);
    }
    faceOutward(gables);

    Mesh canvas;
    canvas.append(walls, glm::mat4(1.0f));
    canvas.append(gables, glm::mat4(1.0f));
    return canvas;
}

Mesh boulderOnGround(const Terrain& terrain, Random& random, vec3 at, vec3 radii, float sink) {
    const Mesh rock = boulder(random, radii, 8, 12);
    const float ground = std::min({terrain.height(at.x - radii.x, at.z), terrain.height(at.x + radii.x, at.z),
                                   terrain.height(at.x, at.z - radii.z), terrain.height(at.x, at.z + radii.z),
                                   terrain.height(at.x, at.z)});
    const glm::mat4 place = glm::rotate(glm::translate(glm::mat4(1.0f), vec3(at.x, ground + radii.y * (1.0f - 2.0f * sink), at.z)),
                                        random.range(0.0f, kTwoPi), vec3(0, 1, 0));
    Mesh placed;
    placed.append(rock, place);
    return placed;
}

Mesh poolSurface(const Terrain& terrain) {
    Mesh water;
    constexpr int rings = 6, segments = 48;
    constexpr float tileMetres = 8.0f;
    const vec2 c = layout::kPoolCentre;
    const std::uint32_t middle = water.addVertex({0, 0, 0}, {0, 1, 0}, {c.x / tileMetres, c.y / tileMetres});
    for (int r = 1; r <= rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const float angle = kTwoPi * s / segments;
            const float reach = (terrain.poolRadius(angle) + 1.2f) * r / rings;
            const vec3 p(reach * std::cos(angle), 0.0f, reach * std::sin(angle));
            water.addVertex(p, {0, 1, 0}, {(c.x + p.x) / tileMetres, (c.y + p.z) / tileMetres});
        }
    }
    auto ring = [&](int r, int s) { return static_cast<std::uint32_t>(1 + (r - 1) * segments + (s % segments)); };
    for (int s = 0; s < segments; ++s) water.addTriangle(middle, ring(1, s + 1), ring(1, s));
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < segments; ++s) water.addQuad(ring(r, s), ring(r, s + 1), ring(r + 1, s + 1), ring(r + 1, s));
    for (std::size_t f = 0; f < water.indices.size(); f += 3) {
        const vec3 p0 = water.positions[water.indices[f]], p1 = water.positions[water.indices[f + 1]], p2 = water.positions[water.indices[f + 2]];
        if (glm::cross(p1 - p0, p2 - p0).y < 0.0f) std::swap(water.indices[f + 1], water.indices[f + 2]);
    }
    return water;
}

} // namespace assetgen
