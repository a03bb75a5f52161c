#pragma once
// A single picture of everything the generator paints, for a person to
// judge: the scene textures with their normal maps, the effect textures,
// the sky as a panorama and as an unfolded cube. It is read back from the
// written files, so it shows exactly what the program will load. Not shipped.

#include <filesystem>

#include <glm/vec3.hpp>

#include "RuntimeTree.h"

namespace assetgen {

void writeContactSheet(const RuntimeTree& tree, const std::filesystem::path& file, glm::vec3 moonDirection);

} // namespace assetgen
