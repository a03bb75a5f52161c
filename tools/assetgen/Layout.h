#pragma once
// Where things stand in the clearing. World units are metres, +y is up.
// The campfire's place is fixed by the program: it burns 0.05, 0.1, 0.1
// from the centre of the fire pit's bounding box, the point the camera
// tour orbits.

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace assetgen::layout {

inline constexpr glm::vec3 kFirePitCentre{-0.3181f, 3.0945f, 31.6771f};
inline constexpr glm::vec3 kFlames = kFirePitCentre + glm::vec3(0.05f, 0.1f, 0.1f);
// Ground level under the pit; the pit's embers sit a hair below it.
inline constexpr float kFireGround = 2.97f;

// The clearing: a floor about 3 m up, ringed by rising,
// wooded ground. The opening to the south (+z) keeps the low blue light
// at (0, 4, 70) above ground.
inline constexpr glm::vec2 kClearingCentre{0.5f, 23.0f};
inline constexpr float kClearingFloor = 3.0f;
inline constexpr float kTerrainHalfExtent = 72.0f;

// The pool lies in a shallow hollow below the fire, its surface a metre
// below the clearing's floor: low enough to look like water in a dip, high
// enough that from across it the fire pit at the top of the bank is in
// sight from the water, so the pool mirrors the pit and not the bank.
inline constexpr float kWaterLevel = 2.0f;
inline constexpr glm::vec2 kPoolCentre{0.6f, 23.2f};
inline constexpr float kPoolRadius = 6.5f;
inline constexpr float kPoolDepth = 1.9f;
inline constexpr float kBankWidth = 8.0f;
// Below the fire the bank reaches up to the hearth stones, this far from
// the pit's centre.
inline constexpr float kHearthReach = 0.8f;

inline constexpr glm::vec2 kTentCentre{-6.6f, 38.2f};

} // namespace assetgen::layout
