#pragma once
// Writing the scene as COLLADA (Y up) through Assimp's exporter. The
// exporter stamps the file with the time of writing; those dates are
// replaced by a fixed one, so the file is identical from run to run.

#include <filesystem>

#include "SceneModel.h"

namespace assetgen {

void writeCollada(const SceneModel& scene, const std::filesystem::path& file);

} // namespace assetgen
