#include "ClearingScene.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "Forest.h"
#include "Layout.h"
#include "Props.h"
#include "Random.h"
#include "SceneTextures.h"
#include "Terrain.h"

namespace assetgen {

namespace {

using glm::vec2;
using glm::vec3;
using glm::vec4;

// The tour dollies the opening camera for 9.5 s at ten times its look-at
// length per second, and the fourth camera for 4.25 s.
constexpr float kOpeningDollySeconds = 9.5f;
constexpr float kDriftDollySeconds = 4.25f;
constexpr float kDollySpeedPerLength = 10.0f;

std::string numbered(const std::string& stem, int n) {
    const std::string digits = std::to_string(n);
    return stem + (digits.size() < 2 ? "_0" : "_") + digits;
}

SceneMaterial material(std::string name, const SceneTexture* texture, vec3 diffuse, vec3 ambient, float specular,
                      float shininess, vec3 emissive = vec3(0.0f)) {
    SceneMaterial m;
    m.name = std::move(name);
    if (texture) {
        m.diffuseFile = texture->colourFile();
        m.normalFile = texture->normalFile();
    }
    m.diffuse = vec4(diffuse, 1.0f);
    m.ambient = vec4(ambient, 1.0f);
    m.specular = vec4(vec3(specular), 1.0f);
    m.emissive = vec4(emissive, 1.0f);
    m.shininess = shininess;
    return m;
}

std::vector<SceneMaterial> clearingMaterials() {
    using namespace textures;
    // The sky's and the stars' light on every side, bluish: away from the
    // fire it is most of what shows the clearing, so it is kept strong
    // enough for the ground and the trees to read.
    const vec3 nightAmbient(0.50f, 0.55f, 0.70f);
    return {
        material("forestFloor", &forestFloor, vec3(0.95f), nightAmbient, 0.04f, 8.0f),
        material("granite", &rock, vec3(0.72f), nightAmbient * 0.8f, 0.10f, 24.0f),
        // The hearth stones share the granite picture, sooted darker.
        material("hearthStone", &rock, vec3(0.55f, 0.52f, 0.49f), nightAmbient * 0.7f, 0.08f, 16.0f),
        material("spruceBark", &pineBark, vec3(0.95f), nightAmbient, 0.03f, 6.0f),
        // Firewood: the same bark, a little lighter where it has dried.
        material("firewoodBark", &pineBark, vec3(1.0f, 0.95f, 0.9f), nightAmbient, 0.05f, 10.0f),
        material("seatWood", &weatheredWood, vec3(0.92f), nightAmbient, 0.08f, 14.0f),
        material("sawnWood", &endGrain, vec3(0.95f), nightAmbient, 0.08f, 14.0f),
        material("charredLogs", &charredWood, vec3(1.0f), nightAmbient * 0.8f, 0.15f, 30.0f, vec3(0.22f, 0.055f, 0.0f)),
        material("spruceNeedles", &needles, vec3(0.9f, 1.0f, 0.9f), nightAmbient, 0.05f, 8.0f),
        material("wildGrass", &textures::grassTuft, vec3(0.95f), nightAmbient, 0.03f, 6.0f),
        material("tentCanvas", &canvas, vec3(0.95f), nightAmbient, 0.05f, 6.0f),
        material("poolWater", nullptr, vec3(0.05f, 0.09f, 0.12f), vec3(0.02f, 0.03f, 0.05f), 0.8f, 80.0f),
    };
}

struct Cameras {
    std::vector<SceneCamera> tour;
    Clearance clearance;
};

Cameras placeCameras(const Terrain& terrain) {
    Cameras out;
    const vec3 flames = layout::kFlames;
    auto onGround = [&](float x, float z, float eye) { return terrain.at(x, z) + vec3(0.0f, eye, 0.0f); };

    // 0: the opening view from above the far side of the pool; the tour flies
    // it straight at the fire and it stops 3.5 m short of the flames.
    {
        const vec3 start(5.5f, 8.5f, 4.0f);
        const vec3 aim = flames + vec3(0.0f, 0.5f, 0.0f);
        const float flight = glm::length(aim - start) - 3.5f;
        out.tour.push_back({"cameraOpening", start, aim, flight / (kOpeningDollySeconds * kDollySpeedPerLength)});
        out.clearance.segments.push_back({start, aim, 3.0f});
    }
    // 1: the establishing shot: the clearing as a place, from above the
    // pool's north-eastern bank and near enough for the flames to read: the
    // pool in front with the moon in it, the fire and its seats at the top
    // of the far bank, the tent beyond, and the forest's crowns against the
    // moonlit sky.
    {
        const vec3 at(7.0f, 5.0f, 19.0f);
        const vec3 target(-3.0f, 4.2f, 36.0f);
        out.tour.push_back({"cameraEstablishing", at, target, 1.0f});
        out.clearance.points.push_back({at, 4.0f});
        out.clearance.segments.push_back({at, target, 2.5f});
    }
    // 2: the tour orbits the fire with this one; it starts where the orbit does.
    {
        const vec3 at = flames + vec3(5.0f, 0.75f, 0.0f);
        out.tour.push_back({"cameraOrbit", at, flames, 1.0f});
    }
    // 3: a slow drift past the fire towards the tent.
    {
        const vec3 at = onGround(flames.x + 6.5f, flames.z - 2.0f, 1.15f);
        const vec3 target = onGround(flames.x - 4.0f, flames.z + 4.0f, 0.6f);
        const float drift = 2.5f;
        out.tour.push_back({"cameraDrift", at, target, drift / (kDriftDollySeconds * kDollySpeedPerLength)});
        out.clearance.points.push_back({at, 4.0f});
        out.clearance.segments.push_back({at, target, 2.0f});
    }
    // 4: low on the pool's northern shore, a metre above the water: the
    // fire at the top of the far bank with the moon above it, and the
    // fire-lit pit and bank, and the moon, mirrored in the pool below.
    {
        const vec3 at(0.8f, layout::kWaterLevel + 1.0f, 17.0f);
        const vec3 target = flames + vec3(0.0f, -0.8f, 0.0f);
        out.tour.push_back({"cameraPool", at, target, 1.0f});
        out.clearance.points.push_back({at, 4.0f});
        out.clearance.segments.push_back({at, flames, 2.0f});
    }
    // The low blue light to the south: trees near it would glare.
    out.clearance.points.push_back({vec3(0.0f, 4.0f, 70.0f), 11.0f});
    // The orbit itself, and the tent.
    out.clearance.points.push_back({flames, 8.5f});
    out.clearance.points.push_back({vec3(layout::kTentCentre.x, 0.0f, layout::kTentCentre.y), 4.0f});
    return out;
}

} // namespace

SceneModel buildClearingScene() {
    SceneModel scene;
    scene.materials = clearingMaterials();
    const Terrain terrain;
    Cameras cameras = placeCameras(terrain);
    scene.cameras = cameras.tour;

    // The fire pit comes first among the mesh nodes: the program takes the
    // first node named "fire..." as the campfire. Its node translation puts
    // the centre of its bounding box exactly where the campfire burns.
    {
        SceneNode pit{"firePit", "charredLogs", firePit(0x3001), glm::mat4(1.0f)};
        const vec3 offset = layout::kFirePitCentre - pit.mesh.bounds().centre();
        pit.transform = glm::translate(glm::mat4(1.0f), offset);
        scene.nodes.push_back(std::move(pit));
    }
    const vec3 pitGround(layout::kFirePitCentre.x, layout::kFireGround, layout::kFirePitCentre.z);
    scene.nodes.push_back({"hearthStones", "hearthStone", hearthStones(terrain, pitGround, 0x3002), glm::mat4(1.0f)});

    // Seats around the fire, open towards the pool so the fire stays in
    // view from the water.
    struct Seat {
        float angle, distance, length, radius;
    };
    const Seat seats[] = {{0.25f, 2.5f, 1.7f, 0.21f}, {2.65f, 2.45f, 1.5f, 0.19f}, {1.45f, 2.7f, 1.8f, 0.22f}};
    int seatNumber = 1;
    for (const Seat& seat : seats) {
        const vec3 outward(std::cos(seat.angle), 0.0f, std::sin(seat.angle));
        const vec3 at = pitGround + outward * seat.distance;
        const vec3 along = glm::normalize(glm::cross(outward, vec3(0, 1, 0)));
        LogMeshes log = lyingLog(terrain, at, along, seat.length, seat.radius, 0x3100 + seatNumber);
        scene.nodes.push_back({numbered("logSeat", seatNumber), "seatWood", std::move(log.sides), glm::mat4(1.0f)});
        scene.nodes.push_back({numbered("logSeatEnds", seatNumber), "sawnWood", std::move(log.ends), glm::mat4(1.0f)});
        ++seatNumber;
    }

    const vec3 tentAt(layout::kTentCentre.x, 0.0f, layout::kTentCentre.y);
    scene.nodes.push_back({"tent", "tentCanvas", tent(terrain, tentAt, pitGround - tentAt), glm::mat4(1.0f)});
    {
        const vec3 pileAt = tentAt + vec3(2.2f, 0.0f, -1.2f);
        LogMeshes pile = woodpile(terrain, pileAt, glm::normalize(vec3(1.0f, 0.0f, 0.4f)), 0x3200);
        scene.nodes.push_back({"woodpile", "firewoodBark", std::move(pile.sides), glm::mat4(1.0f)});
        scene.nodes.push_back({"woodpileEnds", "sawnWood", std::move(pile.ends), glm::mat4(1.0f)});
    }

    // The ground in tiles, so that what is out of view, or out of a face of
    // the fire light's shadow map, is left out whole.
    {
        std::vector<Mesh> tiles = terrain.tiles(kGroundCells, kGroundTiles);
        for (std::size_t i = 0; i < tiles.size(); ++i)
            scene.nodes.push_back({numbered("ground", static_cast<int>(i + 1)), "forestFloor", std::move(tiles[i]), glm::mat4(1.0f)});
    }
    scene.nodes.push_back({"waterPool", "poolWater", poolSurface(terrain),
                           glm::translate(glm::mat4(1.0f), vec3(layout::kPoolCentre.x, layout::kWaterLevel, layout::kPoolCentre.y))});

    // Boulders: a few at the water's edge, half drowned, and more scattered
    // over the clearing and the slopes.
    Random random(0x3300);
    int rockNumber = 1;
    const float shoreAngles[] = {-2.6f, -1.9f, -0.4f, 0.35f, 2.5f, 3.0f};
    for (float angle : shoreAngles) {
        const float reach = terrain.poolRadius(angle) * random.range(0.98f, 1.08f);
        const vec3 at(layout::kPoolCentre.x + std::cos(angle) * reach, 0.0f, layout::kPoolCentre.y + std::sin(angle) * reach);
        const vec3 radii(random.range(0.5f, 0.9f), random.range(0.35f, 0.55f), random.range(0.45f, 0.8f));
        scene.nodes.push_back({numbered("boulder", rockNumber++), "granite", boulderOnGround(terrain, random, at, radii, 0.3f), glm::mat4(1.0f)});
    }
    for (int placed = 0, tries = 0; placed < 20 && tries < 400; ++tries) {
        const float angle = random.range(0.0f, 6.2831853f);
        const float distance = random.range(13.0f, 55.0f);
        const vec3 at(layout::kClearingCentre.x + std::cos(angle) * distance, 0.0f, layout::kClearingCentre.y + std::sin(angle) * distance);
        const float size = random.range(0.35f, 1.0f) * (distance > 25.0f ? 1.6f : 1.0f);
        if (terrain.poolReach(at.x, at.z) < 1.4f) continue;
        if (cameras.clearance.blocks(terrain.at(at.x, at.z), 1.0f, size + 1.0f)) continue;
        const vec3 radii(size * random.range(0.8f, 1.2f), size * random.range(0.5f, 0.8f), size * random.range(0.8f, 1.2f));
        scene.nodes.push_back({numbered("boulder", rockNumber++), "granite", boulderOnGround(terrain, random, at, radii, 0.35f), glm::mat4(1.0f)});
        ++placed;
    }

    // Stumps and fallen trunks along the forest's edge.
    int stumpNumber = 1, fallenNumber = 1;
    for (int tries = 0; tries < 200 && (stumpNumber <= 4 || fallenNumber <= 2); ++tries) {
        const float angle = random.range(0.0f, 6.2831853f);
        const float distance = random.range(14.0f, 19.0f);
        const vec3 at(layout::kClearingCentre.x + std::cos(angle) * distance, 0.0f, layout::kClearingCentre.y + std::sin(angle) * distance);
        if (terrain.poolReach(at.x, at.z) < 1.6f) continue;
        if (stumpNumber <= 4) {
            if (cameras.clearance.blocks(terrain.at(at.x, at.z), 1.0f, 1.0f)) continue;
            LogMeshes piece = stump(terrain, at, random.range(0.22f, 0.34f), random.range(0.35f, 0.6f), 0x3500 + stumpNumber);
            scene.nodes.push_back({numbered("stump", stumpNumber), "spruceBark", std::move(piece.sides), glm::mat4(1.0f)});
            scene.nodes.push_back({numbered("stumpTop", stumpNumber), "sawnWood", std::move(piece.ends), glm::mat4(1.0f)});
            ++stumpNumber;
        } else {
            // Lying roughly along the edge of the clearing.
            const vec3 along = glm::normalize(vec3(-std::sin(angle), 0.0f, std::cos(angle)) + vec3(random.range(-0.3f, 0.3f), 0.0f, 0.0f));
            const float length = random.range(4.5f, 6.5f);
            if (cameras.clearance.blocks(terrain.at(at.x, at.z), 1.0f, length * 0.5f + 0.5f)) continue;
            LogMeshes piece = lyingLog(terrain, at, along, length, random.range(0.2f, 0.28f), 0x3600 + fallenNumber);
            scene.nodes.push_back({numbered("fallenTrunk", fallenNumber), "spruceBark", std::move(piece.sides), glm::mat4(1.0f)});
            scene.nodes.push_back({numbered("fallenTrunkEnds", fallenNumber), "sawnWood", std::move(piece.ends), glm::mat4(1.0f)});
            ++fallenNumber;
        }
    }

    // The forest: trunks among the opaque objects, crowns drawn with blending
    // in list order, so the crowns go farthest first.
    std::vector<Spruce> trees = plantForest(terrain, cameras.clearance, 0x3400);
    std::sort(trees.begin(), trees.end(), [](const Spruce& a, const Spruce& b) {
        const float da = glm::length(vec2(a.base.x, a.base.z) - layout::kClearingCentre);
        const float db = glm::length(vec2(b.base.x, b.base.z) - layout::kClearingCentre);
        return da > db;
    });
    for (std::size_t i = 0; i < trees.size(); ++i)
        scene.nodes.push_back({numbered("spruceTrunk", static_cast<int>(i + 1)), "spruceBark", spruceTrunk(trees[i]), glm::mat4(1.0f)});
    const std::vector<vec3> seenFrom = viewpoints(cameras.clearance);
    for (std::size_t i = 0; i < trees.size(); ++i)
        scene.nodes.push_back({numbered("transparentSpruceCrown", static_cast<int>(i + 1)), "spruceNeedles",
                               spruceCrown(trees[i], seenFrom), glm::mat4(1.0f)});

    // Grass in clumps over the clearing, grouped by patch; drawn after the
    // crowns, being nearer the middle of the clearing.
    constexpr int patches = 12;
    std::vector<Mesh> grass(patches);
    for (int placed = 0, tries = 0; placed < 220 && tries < 3000; ++tries) {
        const float angle = random.range(0.0f, 6.2831853f);
        const float distance = 20.0f * std::sqrt(static_cast<float>(random.uniform()));
        const vec3 at(layout::kClearingCentre.x + std::cos(angle) * distance, 0.0f, layout::kClearingCentre.y + std::sin(angle) * distance);
        if (terrain.poolReach(at.x, at.z) < 1.12f) continue;
        const float fromFire = glm::length(vec2(at.x - pitGround.x, at.z - pitGround.z));
        if (fromFire < 1.3f || glm::length(vec2(at.x - tentAt.x, at.z - tentAt.z)) < 1.6f) continue;
        bool underCamera = false;
        for (const SceneCamera& camera : scene.cameras)
            underCamera = underCamera || glm::length(vec2(at.x - camera.position.x, at.z - camera.position.z)) < 2.5f;
        if (underCamera) continue;
        const int patch = static_cast<int>((angle / 6.2831853f) * patches) % patches;
        grass[patch].append(grassTuft(terrain, random, at), glm::mat4(1.0f));
        ++placed;
    }
    for (int p = 0; p < patches; ++p)
        if (!grass[p].positions.empty())
            scene.nodes.push_back({numbered("transparentGrass", p + 1), "wildGrass", std::move(grass[p]), glm::mat4(1.0f)});
    return scene;
}

} // namespace assetgen
