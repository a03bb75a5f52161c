#pragma once
// Pictures of what each tour camera sees, rendered on the CPU from the
// written scene file as the program imports it (same preset, same camera
// convention and field of view), with the written textures and sky. They
// let a person check the camera contract without a GPU: sky above the trees,
// nothing in the way, the fire and its reflection in view. Not shipped.

#include <filesystem>

#include <glm/vec3.hpp>

#include "RuntimeTree.h"

namespace assetgen {

void writeCameraPreviews(const RuntimeTree& tree, const std::filesystem::path& folder, glm::vec3 moonDirection);

} // namespace assetgen
