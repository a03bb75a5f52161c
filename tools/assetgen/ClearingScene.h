#pragma once
// The moonlit clearing assembled: materials, every object as its own node,
// and the five tour cameras.

#include "SceneModel.h"

namespace assetgen {

SceneModel buildClearingScene();

} // namespace assetgen
