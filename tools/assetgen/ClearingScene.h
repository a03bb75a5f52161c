#pragma once
// The moonlit clearing assembled: materials, every object as its own node,
// and the five tour cameras.

#include "SceneModel.h"

namespace assetgen {

// The ground's grid, cells a side, and the tiles a side it is cut into:
// nodes "ground_01" on, row by row.
inline constexpr int kGroundCells = 130;
inline constexpr int kGroundTiles = 8;

SceneModel buildClearingScene();

} // namespace assetgen
