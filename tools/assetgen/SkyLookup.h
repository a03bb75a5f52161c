#pragma once
// The written sky faces as a function of direction again, for the pictures
// that show the sky as the program will: the contact sheet and the camera
// previews.

#include <array>

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "Image.h"
#include "RuntimeTree.h"

namespace assetgen {

class SkyLookup {
public:
    explicit SkyLookup(const RuntimeTree& tree);
    glm::vec4 operator()(glm::vec3 direction) const;

private:
    std::array<Image, 6> faces;
};

} // namespace assetgen
