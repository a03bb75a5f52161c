#pragma once
// The made things of the clearing and its stones: the fire pit, the
// hearth stones around it, log seats, the tent, a woodpile, boulders and
// the surface of the pool.

#include <cstdint>

#include "Mesh.h"
#include "Random.h"
#include "Terrain.h"

namespace assetgen {

// Crossed logs burning on a bed of embers, around the local origin with the
// ground at local y = 0.
Mesh firePit(std::uint32_t seed);

// A ring of stones around the pit, placed on the terrain.
Mesh hearthStones(const Terrain& terrain, glm::vec3 centre, std::uint32_t seed);

struct LogMeshes {
    Mesh sides; // bark
    Mesh ends;  // sawn faces
};

// A log lying on the ground, centred on `centre` (on the ground), along the
// horizontal `axis`.
LogMeshes lyingLog(const Terrain& terrain, glm::vec3 centre, glm::vec3 axis, float length, float radius, std::uint32_t seed);

// A stack of split firewood.
LogMeshes woodpile(const Terrain& terrain, glm::vec3 centre, glm::vec3 axis, std::uint32_t seed);

// A tree stump: bark sides, a sawn top.
LogMeshes stump(const Terrain& terrain, glm::vec3 at, float radius, float height, std::uint32_t seed);

// A tuft of grass: three upright cards crossing at its root.
Mesh grassTuft(const Terrain& terrain, Random& random, glm::vec3 at);

// An A-frame tent whose door faces `facing`.
Mesh tent(const Terrain& terrain, glm::vec3 centre, glm::vec3 facing);

// A boulder sunk into the ground by a fraction of its height.
Mesh boulderOnGround(const Terrain& terrain, Random& random, glm::vec3 at, glm::vec3 radii, float sink);

// The pool's surface: a flat disc at local y = 0 reaching a little under
// the banks all round, in the pool's local frame.
Mesh poolSurface(const Terrain& terrain);

} // namespace assetgen
